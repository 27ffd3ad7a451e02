#pragma once
// One-shot service commands: a code and at most one argument byte, nothing read back.

#include <cstdint>

namespace mfd {

class SessionDriver;
struct Slots;

// The steps of states 50 (0xA6, 0x01, ReqCode) and 51 (0xA6, 0x02, ReqCode, ReqArg).
void registerServiceSteps(SessionDriver &driver);

// Page actions: leave the command for the driver's next pass. The argument byte is the low
// 8 bits of value.
void requestCommand(Slots &rq, std::uint8_t code);
void requestCommandWithArg(Slots &rq, std::uint8_t code, int value);

} // namespace mfd
