#pragma once
// The link on a real serial port (USB-UART cable, Bluetooth serial, WiFi bridge, or a
// pseudo-terminal): 8 data bits, no parity, 2 stop bits, no flow control, DTR and RTS on.

#include "session/link.h"

#include <QObject>
#include <QSerialPort>

namespace mfd {

class SerialLink : public QObject, public Link {
    Q_OBJECT
public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    void SetActive(bool on) override;
    bool Active() const override { return port_.isOpen(); }
    void SetPortName(const QString &name) override { name_ = name; }
    QString PortName() const override { return name_; }
    void SetBaudRate(int bps) override;
    int BaudRate() const override { return baud_; }
    void ClearDeviceBuffers() override;
    void ClearDeviceInput() override;
    void SendChar(int value) override;
    void SendData(const std::uint8_t *data, std::size_t count) override;
    void SendString(const QByteArray &text) override;
    void Read(std::uint8_t *buffer, std::size_t count) override;
    std::size_t Available() const override { return std::size_t(rx_.size() - rxPos_); }
    std::uint32_t TotalReceived() const override { return total_; }
    std::optional<QString> TakeFault() override;

    // Whether the driver took the request for low-latency mode at the last open (USB-serial
    // chips otherwise hold replies back for their latency timer, 16 ms by default on Linux).
    bool LowLatency() const { return lowLatency_; }
    // Asks the tty driver behind fd for low-latency mode; false where it has none (a
    // pseudo-terminal, most Bluetooth and network bridges), which is no fault.
    static bool requestLowLatency(int fd);

    // Why a port cannot be opened, in words a Linux user can act on.
    static QString describeOpenError(const QString &portName, QSerialPort::SerialPortError error,
                                     const QString &systemText);

signals:
    // A fault of the open port was recorded (the device vanished); the port is closed.
    void faulted();

private:
    void pull();
    void onError(QSerialPort::SerialPortError error);
    void dropInput();

    QSerialPort port_;
    QString name_;
    int baud_ = 921600;
    std::uint32_t total_ = 0;
    QByteArray rx_;
    qsizetype rxPos_ = 0;
    std::optional<QString> fault_;
    bool lowLatency_ = false;
};

} // namespace mfd
