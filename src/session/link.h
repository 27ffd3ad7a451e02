#pragma once
// The serial link as the session driver sees it: exactly the operations the steps use, plus
// Available(), so that no step ever reads a byte that has not arrived.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>

namespace mfd {

// Raised by SetActive(true) when the port cannot be opened, and by Read() when asked for more
// bytes than have arrived (a programming error: the port has no read time-out, so a real read
// there would freeze the window).
class LinkError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Link {
public:
    virtual ~Link() = default;

    // Opens (true) or closes (false) the chosen port. Opening resets TotalReceived to 0 and
    // throws LinkError when the port cannot be opened. Closing a closed port does nothing.
    virtual void SetActive(bool on) = 0;
    virtual bool Active() const = 0;

    // The port the chooser selected; a port switch while open is the window's business.
    virtual void SetPortName(const QString &name) = 0;
    virtual QString PortName() const = 0;

    // Used from the next open on, and at once if the port is open.
    virtual void SetBaudRate(int bitsPerSecond) = 0;
    virtual int BaudRate() const = 0;

    // Purges both directions (bytes waiting to be sent and received bytes not yet read).
    virtual void ClearDeviceBuffers() = 0;
    // Purges received bytes not yet read. TotalReceived keeps its value.
    virtual void ClearDeviceInput() = 0;

    // Sends the low 8 bits of value. Does nothing while the port is closed; never throws.
    virtual void SendChar(int value) = 0;
    // Sends count bytes; may return before they have left.
    virtual void SendData(const std::uint8_t *data, std::size_t count) = 0;
    // Sends the bytes of an 8-bit text, no length, no terminator.
    virtual void SendString(const QByteArray &text) = 0;

    // Takes the next count received bytes. Throws LinkError if fewer than count wait unread.
    virtual void Read(std::uint8_t *buffer, std::size_t count) = 0;
    // Received bytes that wait unread.
    virtual std::size_t Available() const = 0;
    // Running count of bytes received since the port was opened, wrapping modulo 2^32.
    virtual std::uint32_t TotalReceived() const = 0;

    // A failure of the open link (the device vanished), reported once; the link is closed by then.
    virtual std::optional<QString> TakeFault() = 0;

    std::uint8_t ReadByte()
    {
        std::uint8_t b = 0;
        Read(&b, 1);
        return b;
    }
};

} // namespace mfd
