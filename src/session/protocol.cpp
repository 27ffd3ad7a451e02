#include "session/protocol.h"
#include "session/link.h"

namespace mfd {

std::vector<std::uint8_t> handshakeFrame()
{
    std::vector<std::uint8_t> f;
    f.reserve(6);
    f.push_back(lead::Handshake);
    f.push_back(0x04);
    for (std::uint8_t b : ServiceAccessCode)
        f.push_back(b);
    return f;
}

std::vector<std::uint8_t> commandFrame(std::uint8_t code, const std::vector<std::uint8_t> &payload)
{
    std::vector<std::uint8_t> f;
    f.reserve(3 + payload.size());
    f.push_back(lead::Command);
    f.push_back(static_cast<std::uint8_t>(1 + payload.size()));
    f.push_back(code);
    for (std::uint8_t b : payload)
        f.push_back(b);
    return f;
}

std::uint32_t beginFrame(Link &link)
{
    link.ClearDeviceInput();
    return link.TotalReceived();
}

void sendBytes(Link &link, const std::vector<std::uint8_t> &bytes)
{
    for (std::uint8_t b : bytes)
        link.SendChar(b);
}

std::uint32_t sendCommand(Link &link, std::uint8_t code, const std::vector<std::uint8_t> &payload)
{
    const std::uint32_t mark = beginFrame(link);
    sendBytes(link, commandFrame(code, payload));
    return mark;
}

void sendHandshake(Link &link)
{
    link.ClearDeviceBuffers();
    sendBytes(link, handshakeFrame());
}

} // namespace mfd
