#include "coding/extra_coding_record.h"
#include "session/arith.h"

namespace mfd::extra {

const QStringList WarningItems{
    "Warning Brake Pads", "Warning Wash flude level", "Warning Brake flude level", "Warning HandBrake",
    "Warning speed limit", "Warning tire pressure", "Opening the bonnet", "Little red oiler",
};

const QStringList SwitchItems{
    "Mirrors Heater", "CoffeeBreak", "IMMO active", "No/Half FIS Warning Oil Level",
    "Full FIS Warning Oil Level algoritm ", "Visible GRA Info", "Tempomat GRA 1J0 CCM", "Seat belt warning",
};

const QStringList GearboxItems{"WITHOUT clutch SENSOR Manual gearbox", "AUDI Fuel consumption factor x2 "};

const QStringList ThemeItems{"Navy (VW)", "Red (Audi)", "Yellow (Seat)", "Green (Skoda)"};

namespace {
constexpr std::uint8_t GearboxBits = 0x03;
constexpr int ThemeShift = 6;

} // namespace

Record encode(const Values &v, std::uint8_t byte5, std::uint8_t byte6)
{
    Record r{};
    r[0] = v.warnings;
    r[1] = std::uint8_t(v.speedLimit);
    r[2] = v.switches;
    r[3] = std::uint8_t(roundHalfEven(v.coffeeTime / 10.0));
    r[4] = std::uint8_t(roundHalfEven(v.coffeeDistance / 10.0));
    r[5] = byte5;
    r[6] = byte6;
    // Bits 2 to 5 are not the shell's: they always go out as 0.
    r[7] = std::uint8_t((v.gearbox & GearboxBits) | (v.theme << ThemeShift));
    return r;
}

Values decode(const Record &r)
{
    Values v;
    v.warnings = r[0];
    v.speedLimit = r[1];
    v.switches = r[2];
    v.coffeeTime = r[3] * 10;
    v.coffeeDistance = r[4] * 10;
    v.gearbox = r[7] & GearboxBits;
    v.theme = (r[7] >> ThemeShift) & 3;
    return v;
}

} // namespace mfd::extra
