#pragma once
// Every value SessionState takes. The numbers are shown to the user (status panel 4) and keep
// their values; each subsystem registers the steps of its own states with the driver.

namespace mfd::state {

constexpr int DiskQuery = 0;          // pause 500 ms after the handshake, send the disk-size query
constexpr int DiskReply = 1;          // wait for 6 bytes, fill the disk panel

constexpr int SdBatchStart = 30;      // SD upload: list the chosen folder
constexpr int SdNextFile = 31;
constexpr int SdFileDone = 32;
constexpr int SdOpenFile = 40;        // send 0xAA with the unit-side path
constexpr int SdStartAck = 42;
constexpr int SdSendBlock = 43;       // send 0xAB with up to 250 bytes
constexpr int SdBlockAck = 44;
constexpr int SdSendEnd = 45;         // send 0xAC
constexpr int SdEndAck = 46;
constexpr int SdFileError = 47;

constexpr int Command = 50;           // 0xA6, 0x01, ReqCode
constexpr int CommandArg = 51;        // 0xA6, 0x02, ReqCode, ReqArg
constexpr int SaveExtraCoding = 52;   // code 21 with 8 bytes of XferBuf
constexpr int SaveConfig = 53;        // code 22 with 26 bytes of XferBuf
constexpr int ReadExtraCoding = 54;   // code 23
constexpr int ConfigCommand = 55;     // codes 16, 24, 40, 55: the reply is the configuration record
constexpr int ExtraCodingReply = 64;  // wait for 10 bytes
constexpr int ConfigReply = 65;       // wait for 28 bytes

constexpr int FirmwareSend = 140;     // set by the firmware page; no step

constexpr int GammaHx8375b = 152;     // code 30 with 12 bytes
constexpr int GammaCommand = 153;     // code 31 or 61 alone
constexpr int GammaHx8357c = 155;     // code 30 with 34 bytes
constexpr int GammaIli9486 = 157;     // code 30 with 30 bytes

constexpr int SaveGearbox = 162;      // code 35 with 12 bytes
constexpr int ReadGearbox = 163;      // code 36
constexpr int GearboxReply = 164;     // wait for 8 bytes

constexpr int ImageOpen = 240;        // send 0xA3 with the disk number
constexpr int ImageStartAck = 242;
constexpr int ImageSendBlock = 243;   // send 0xA4 with 1024 bytes
constexpr int ImageBlockAck = 244;
constexpr int ImageWritten = 246;
constexpr int ImageError = 247;

constexpr int SessionOpening = 999;   // purge, handshake, show the pages
constexpr int Idle = 1000;

} // namespace mfd::state
