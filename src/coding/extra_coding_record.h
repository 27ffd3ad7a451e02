#pragma once
// The unit's 8-byte extra coding record, without widgets: warning and feature switches as bit
// masks, the speed limit, the coffee-break limits in units of 10, and the colour theme.

#include "session/protocol.h"

#include <QStringList>
#include <array>
#include <cstdint>

namespace mfd::extra {

using Record = std::array<std::uint8_t, ExtraCodingSize>;

extern const QStringList WarningItems; // byte 0, bit i = item i
extern const QStringList SwitchItems;  // byte 2
extern const QStringList GearboxItems; // byte 7, bits 0 and 1
extern const QStringList ThemeItems;   // byte 7, bits 6 and 7

constexpr int SpeedLimitMin = 50, SpeedLimitMax = 150;
constexpr int CoffeeMin = 0, CoffeeMax = 600;
constexpr int SpinStep = 10;

struct Values {
    std::uint8_t warnings = 0;
    int speedLimit = 0;     // km/h
    std::uint8_t switches = 0;
    int coffeeTime = 0;     // minutes
    int coffeeDistance = 0; // km
    std::uint8_t gearbox = 0;
    int theme = 0;
};

// Bytes 5 and 6 are the unit's own; the record carries back the ones given.
Record encode(const Values &values, std::uint8_t byte5, std::uint8_t byte6);
// Numbers as the unit sent them; the page's edits bring them into range.
Values decode(const Record &record);

} // namespace mfd::extra
