#pragma once
// A link for tests: records what the driver does and sends, and lets a test deliver reply bytes.

#include "session/link.h"

#include <QStringList>
#include <deque>
#include <vector>

namespace mfd {

class FakeLink : public Link {
public:
    // --- what the test controls
    // Number of coming SetActive(true) calls that fail; -1 fails every one.
    int failOpens = 0;
    QString openError = QStringLiteral("could not open port");
    void Deliver(const QByteArray &bytes);
    void Deliver(std::initializer_list<int> bytes);
    void SetTotalReceived(std::uint32_t total) { total_ = total; }
    void InjectFault(const QString &message);

    // --- what the test reads back
    std::vector<std::uint8_t> sent;      // every byte sent, in order
    QStringList ops;                     // "open", "close", "baud 921600", "clearBuffers", "clearInput",
                                         // "char A6", "data 1024", "string 5"
    int opens = 0;
    QByteArray sentBytes() const { return QByteArray(reinterpret_cast<const char *>(sent.data()), int(sent.size())); }
    void clearRecord() { sent.clear(); ops.clear(); }

    // --- Link
    void SetActive(bool on) override;
    bool Active() const override { return active_; }
    void SetPortName(const QString &name) override { port_ = name; }
    QString PortName() const override { return port_; }
    void SetBaudRate(int bps) override;
    int BaudRate() const override { return baud_; }
    void ClearDeviceBuffers() override;
    void ClearDeviceInput() override;
    void SendChar(int value) override;
    void SendData(const std::uint8_t *data, std::size_t count) override;
    void SendString(const QByteArray &text) override;
    void Read(std::uint8_t *buffer, std::size_t count) override;
    std::size_t Available() const override { return rx_.size(); }
    std::uint32_t TotalReceived() const override { return total_; }
    std::optional<QString> TakeFault() override;

private:
    QString port_;
    bool active_ = false;
    int baud_ = 0;
    std::uint32_t total_ = 0;
    std::deque<std::uint8_t> rx_;
    std::optional<QString> fault_;
};

} // namespace mfd
