#pragma once
// The gamma tables of the three display controller families, without widgets: which edits make
// each payload byte, their ranges and start values, and the two factory presets of the first.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace mfd::gamma {

// Every gamma edit starts its range at 0.
struct Edit {
    const char *name;
    int max;
    int start;
};

// One payload byte: a single edit, or two edits as its high and low nibble.
struct Byte {
    Edit high;
    std::optional<Edit> low;
};

extern const std::vector<Byte> Hx8375bTable; // 12 bytes from 20 edits
extern const std::vector<Byte> Hx8357cTable; // 34 bytes
extern const std::vector<Byte> Ili9486Table; // 30 bytes

// The byte a row sends; values are taken as the edits hold them, in range.
constexpr std::uint8_t pack(int high, std::optional<int> low)
{
    return static_cast<std::uint8_t>(low ? high * 16 + *low : high);
}

// Presets of the first table, one pair per byte (the second value unused for single edits).
using Preset = std::array<std::array<int, 2>, 12>;
extern const Preset PresetHx8375b;
extern const Preset PresetIli9481;

} // namespace mfd::gamma
