#pragma once
// The unit's gearbox numbers, without widgets: per gear the unit keeps Round(2000 / v), v being
// the road speed in km/h at 2000 rpm, and the page shows both numbers of a gear in step.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace mfd::gearbox {

constexpr int Gears = 6;
constexpr int SpeedMin = 10, SpeedMax = 200;
constexpr int CoupledMin = 1, CoupledMax = 200;

struct Row {
    const char *caption;
    const char *speedEdit;
    int speedStart;
    const char *coupledEdit;
    int coupledStart;
};
// Gears 1 to 6. The start values are the unit's factory ones, and not all of them are in step.
extern const std::array<Row, Gears> Rows;

// The other number of a gear: Round(2000 / value), halves to even. A value of 0 has none.
std::optional<int> partner(int value);

// "Save": each gear's number, then 0x00.
std::vector<std::uint8_t> savePayload(const std::array<int, Gears> &coupled);

} // namespace mfd::gearbox
