#include "coding/gearbox.h"
#include "session/arith.h"

namespace mfd::gearbox {

const std::array<Row, Gears> Rows{{
    {"1      (2000 RPM)     V = ", "SpinEdit27", 22, "SpinEdit38", 90},
    {"2      (2000 RPM)     V = ", "SpinEdit28", 33, "SpinEdit37", 60},
    {"3      (2000 RPM)     V = ", "SpinEdit29", 50, "SpinEdit36", 40},
    {"4      (2000 RPM)     V = ", "SpinEdit32", 61, "SpinEdit35", 33},
    {"5      (2000 RPM)     V = ", "SpinEdit31", 71, "SpinEdit33", 28},
    {"6      (2000 RPM)     V = ", "SpinEdit30", 84, "SpinEdit34", 24},
}};

std::optional<int> partner(int value)
{
    if (value == 0)
        return std::nullopt;
    return static_cast<int>(roundHalfEven(2000.0 / value));
}

std::vector<std::uint8_t> savePayload(const std::array<int, Gears> &coupled)
{
    std::vector<std::uint8_t> p;
    p.reserve(2 * Gears);
    for (int c : coupled) {
        p.push_back(static_cast<std::uint8_t>(c));
        p.push_back(0x00);
    }
    return p;
}

} // namespace mfd::gearbox
