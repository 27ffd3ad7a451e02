#pragma once
// The unit's serial protocol: lead bytes, command codes, reply lengths and frame builders.
// Frames go from the shell to the unit; the unit answers with plain bytes, and every reply
// starts with leading bytes the shell drops unseen.

#include <QByteArray>
#include <cstdint>
#include <vector>

namespace mfd {

class Link;

namespace lead {
constexpr std::uint8_t Handshake = 0xA1;
constexpr std::uint8_t ImageStart = 0xA3;
constexpr std::uint8_t ImageBlock = 0xA4;
constexpr std::uint8_t Command = 0xA6;
constexpr std::uint8_t SdStart = 0xAA;
constexpr std::uint8_t SdData = 0xAB;
constexpr std::uint8_t SdEnd = 0xAC;
} // namespace lead

// Every command code the shell sends in a 0xA6 frame.
namespace code {
constexpr std::uint8_t KeyPlus = 1;
constexpr std::uint8_t KeyMinus = 2;
constexpr std::uint8_t KeyReset = 3;
constexpr std::uint8_t KeyLongReset = 4;
constexpr std::uint8_t KeyLongPlus = 5;
constexpr std::uint8_t KeyLongMinus = 6;
constexpr std::uint8_t TurboTimerOn = 7;
constexpr std::uint8_t TurboTimerOff = 8;
constexpr std::uint8_t ScreenSizeSetup = 10;
constexpr std::uint8_t TopLineDown = 11;
constexpr std::uint8_t TopLineUp = 12;
constexpr std::uint8_t BottomLineDown = 13;
constexpr std::uint8_t BottomLineUp = 14;
constexpr std::uint8_t SaveSize = 15;
constexpr std::uint8_t WipeSystemSector = 16;
constexpr std::uint8_t Doors = 20;
constexpr std::uint8_t SaveExtraCoding = 21;
constexpr std::uint8_t SaveConfig = 22;
constexpr std::uint8_t ReadExtraCoding = 23;
constexpr std::uint8_t ReadConfig = 24;
constexpr std::uint8_t Reboot = 25;
constexpr std::uint8_t SetGamma = 30;
constexpr std::uint8_t SaveGamma = 31;
constexpr std::uint8_t DiskSizes = 32;
constexpr std::uint8_t SaveGearbox = 35;
constexpr std::uint8_t ReadGearbox = 36;
constexpr std::uint8_t ResetAllBc = 40;
constexpr std::uint8_t Brightness = 50;
constexpr std::uint8_t Kl15Off = 51;
constexpr std::uint8_t Kl15On = 52;
constexpr std::uint8_t ResetServiceRecords = 55;
constexpr std::uint8_t DefaultGamma = 61;
constexpr std::uint8_t SleepOut = 100;
constexpr std::uint8_t SleepIn = 101;
} // namespace code

// Reply sizes: bytes awaited in all, and leading bytes dropped before the data.
struct ReplyShape {
    std::uint32_t awaited;
    std::uint32_t dropped;
};
namespace reply {
constexpr ReplyShape DiskSizes{6, 1};
constexpr ReplyShape ExtraCoding{10, 2};
constexpr ReplyShape Config{28, 2};
constexpr ReplyShape Gearbox{8, 2};
constexpr std::uint32_t Ack = 2; // lead byte echoed, then a checksum or filler
} // namespace reply

constexpr std::uint32_t ConfigRecordSize = 26;
constexpr std::uint32_t ExtraCodingSize = 8;
constexpr std::uint32_t ImageBlockSize = 1024;
constexpr std::uint32_t SdBlockMax = 250;

// The unit's service access code, sent unchanged in every handshake.
constexpr std::uint8_t ServiceAccessCode[4] = {0x4B, 0x6F, 0x72, 0x76};

// Pure builders: the bytes of a frame, for tests and for the senders below.
std::vector<std::uint8_t> handshakeFrame();
std::vector<std::uint8_t> commandFrame(std::uint8_t code, const std::vector<std::uint8_t> &payload = {});

// Senders. Every frame but the handshake starts by purging the receive queue and taking the
// mark its reply is counted from; single bytes go out one SendChar each.
// Returns the new RxMark.
std::uint32_t beginFrame(Link &link);
void sendBytes(Link &link, const std::vector<std::uint8_t> &bytes);
std::uint32_t sendCommand(Link &link, std::uint8_t code, const std::vector<std::uint8_t> &payload = {});
void sendHandshake(Link &link);

} // namespace mfd
