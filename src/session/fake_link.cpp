#include "session/fake_link.h"

namespace mfd {

void FakeLink::Deliver(const QByteArray &bytes)
{
    for (char c : bytes)
        rx_.push_back(static_cast<std::uint8_t>(c));
    total_ += static_cast<std::uint32_t>(bytes.size());
}

void FakeLink::Deliver(std::initializer_list<int> bytes)
{
    QByteArray b;
    for (int v : bytes)
        b.append(static_cast<char>(v));
    Deliver(b);
}

void FakeLink::InjectFault(const QString &message)
{
    active_ = false;
    rx_.clear();
    fault_ = message;
}

void FakeLink::SetActive(bool on)
{
    if (!on) {
        if (active_)
            ops << QStringLiteral("close");
        active_ = false;
        return;
    }
    ops << QStringLiteral("open");
    if (failOpens != 0) {
        if (failOpens > 0)
            --failOpens;
        throw LinkError(openError.toStdString());
    }
    active_ = true;
    ++opens;
    total_ = 0;
    rx_.clear();
}

void FakeLink::SetBaudRate(int bps)
{
    baud_ = bps;
    ops << QStringLiteral("baud %1").arg(bps);
}

void FakeLink::ClearDeviceBuffers()
{
    ops << QStringLiteral("clearBuffers");
    rx_.clear();
}

void FakeLink::ClearDeviceInput()
{
    ops << QStringLiteral("clearInput");
    rx_.clear();
}

void FakeLink::SendChar(int value)
{
    if (!active_)
        return;
    const auto b = static_cast<std::uint8_t>(value & 0xFF);
    sent.push_back(b);
    ops << QStringLiteral("char ") + QString::asprintf("%02X", b);
}

void FakeLink::SendData(const std::uint8_t *data, std::size_t count)
{
    if (!active_)
        return;
    sent.insert(sent.end(), data, data + count);
    ops << QStringLiteral("data %1").arg(count);
}

void FakeLink::SendString(const QByteArray &text)
{
    if (!active_)
        return;
    for (char c : text)
        sent.push_back(static_cast<std::uint8_t>(c));
    ops << QStringLiteral("string %1").arg(text.size());
}

void FakeLink::Read(std::uint8_t *buffer, std::size_t count)
{
    if (rx_.size() < count)
        throw LinkError("read of a byte that has not arrived");
    for (std::size_t i = 0; i < count; ++i) {
        buffer[i] = rx_.front();
        rx_.pop_front();
    }
}

std::optional<QString> FakeLink::TakeFault()
{
    auto f = fault_;
    fault_.reset();
    return f;
}

} // namespace mfd
