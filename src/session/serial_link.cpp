#include "session/serial_link.h"
#include "session/port_diagnosis.h"

#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <sys/stat.h>

namespace mfd {

SerialLink::SerialLink(QObject *parent) : QObject(parent)
{
    connect(&port_, &QSerialPort::readyRead, this, &SerialLink::pull);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLink::onError);
}

SerialLink::~SerialLink() { port_.close(); }

void SerialLink::pull()
{
    const QByteArray chunk = port_.readAll();
    if (chunk.isEmpty())
        return;
    total_ += static_cast<std::uint32_t>(chunk.size());
    if (rxPos_ == rx_.size()) {
        rx_.clear();
        rxPos_ = 0;
    }
    rx_.append(chunk);
}

void SerialLink::onError(QSerialPort::SerialPortError error)
{
    // A vanished device keeps reporting a hang-up until the port is closed: close it, say it once.
    // Qt reports the hang-up as a resource or a read error depending on what errno last held.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && port_.isOpen()) {
        fault_ = QStringLiteral("%1: %2").arg(name_, port_.errorString());
        port_.close();
        dropInput();
        emit faulted();
    }
}

void SerialLink::dropInput()
{
    rx_.clear();
    rxPos_ = 0;
}

QString SerialLink::describeOpenError(const QString &portName, QSerialPort::SerialPortError error,
                                      const QString &systemText)
{
    if (portName.isEmpty())
        return QStringLiteral("No port chosen");
    QString reason;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("%1: no such device").arg(portName);
    case QSerialPort::PermissionError:
        // Qt reports a device held by another program (EBUSY, a lock file) as a permission error too.
        reason = QStringLiteral("permission denied or busy");
        break;
    case QSerialPort::OpenError:
        reason = QStringLiteral("busy, already open");
        break;
    default:
        reason = systemText;
        break;
    }
    const QString hint = portHint(portName, error == QSerialPort::PermissionError);
    return QStringLiteral("%1: %2").arg(portName, reason) + (hint.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(hint));
}

bool SerialLink::requestLowLatency(int fd)
{
    const int savedErrno = errno;
    serial_struct ss{};
    bool ok = fd >= 0 && ::ioctl(fd, TIOCGSERIAL, &ss) == 0;
    if (ok && !(ss.flags & ASYNC_LOW_LATENCY)) {
        ss.flags |= ASYNC_LOW_LATENCY;
        ok = ::ioctl(fd, TIOCSSERIAL, &ss) == 0;
    }
    errno = savedErrno; // a refusal leaves nothing behind for Qt's error reporting to misread
    return ok;
}

void SerialLink::SetActive(bool on)
{
    if (!on) {
        port_.close();
        dropInput();
        return;
    }
    port_.close();
    port_.setPortName(name_);
    port_.setBaudRate(baud_);
    port_.setDataBits(QSerialPort::Data8);
    port_.setParity(QSerialPort::NoParity);
    port_.setStopBits(QSerialPort::TwoStop);
    port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!port_.open(QIODevice::ReadWrite)) {
        const QString why = describeOpenError(name_, port_.error(), port_.errorString());
        port_.clearError();
        throw LinkError(why.toStdString());
    }
    // Pseudo-terminals and some bridges have no modem lines; that is no fault of the link.
    port_.setDataTerminalReady(true);
    port_.setRequestToSend(true);
    port_.clearError();
    lowLatency_ = requestLowLatency(static_cast<int>(port_.handle()));
    total_ = 0;
    dropInput();
    fault_.reset();
}

void SerialLink::SetBaudRate(int bps)
{
    baud_ = bps;
    if (port_.isOpen() && !port_.setBaudRate(bps)) {
        const QString why = port_.errorString();
        port_.clearError();
        throw LinkError(QStringLiteral("%1: cannot set %2 baud: %3").arg(name_).arg(bps).arg(why).toStdString());
    }
}

void SerialLink::ClearDeviceBuffers()
{
    if (!port_.isOpen())
        return;
    port_.waitForReadyRead(0); // counts what has arrived before it is dropped
    port_.clear(QSerialPort::AllDirections);
    dropInput();
}

void SerialLink::ClearDeviceInput()
{
    if (!port_.isOpen())
        return;
    port_.waitForReadyRead(0);
    port_.clear(QSerialPort::Input);
    dropInput();
}

void SerialLink::SendChar(int value)
{
    if (!port_.isOpen())
        return;
    port_.putChar(static_cast<char>(value & 0xFF));
    port_.flush();
}

void SerialLink::SendData(const std::uint8_t *data, std::size_t count)
{
    if (!port_.isOpen())
        return;
    port_.write(reinterpret_cast<const char *>(data), static_cast<qint64>(count));
    port_.flush();
}

void SerialLink::SendString(const QByteArray &text)
{
    if (!port_.isOpen())
        return;
    port_.write(text);
    port_.flush();
}

void SerialLink::Read(std::uint8_t *buffer, std::size_t count)
{
    if (Available() < count)
        throw LinkError("read of a byte that has not arrived");
    std::memcpy(buffer, rx_.constData() + rxPos_, count);
    rxPos_ += static_cast<qsizetype>(count);
}

std::optional<QString> SerialLink::TakeFault()
{
    auto f = fault_;
    fault_.reset();
    return f;
}

} // namespace mfd
