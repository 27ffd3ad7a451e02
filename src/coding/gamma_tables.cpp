#include "coding/gamma_tables.h"

namespace mfd::gamma {

// Rows 1 to 6 and 7 to 12 share a shape: four rows of two 3-bit values, a 4-bit and a 5-bit value.
const std::vector<Byte> Hx8375bTable{
    {{"SpinEdit7", 7, 7}, Edit{"SpinEdit19", 7, 7}},
    {{"SpinEdit8", 7, 7}, Edit{"SpinEdit20", 7, 7}},
    {{"SpinEdit9", 7, 0}, Edit{"SpinEdit21", 7, 0}},
    {{"SpinEdit10", 7, 0}, Edit{"SpinEdit22", 7, 7}},
    {{"SpinEdit11", 15, 15}, {}},
    {{"SpinEdit12", 31, 0}, {}},
    {{"SpinEdit13", 7, 0}, Edit{"SpinEdit23", 7, 0}},
    {{"SpinEdit14", 7, 4}, Edit{"SpinEdit24", 7, 2}},
    {{"SpinEdit15", 7, 4}, Edit{"SpinEdit25", 7, 2}},
    {{"SpinEdit16", 7, 7}, Edit{"SpinEdit26", 7, 4}},
    {{"SpinEdit17", 15, 0}, {}},
    {{"SpinEdit18", 31, 30}, {}},
};

// VRP, then VRN, two per row, then the two settings below the blocks.
const std::vector<Byte> Hx8357cTable{
    {{"SpinEdit41", 127, 0}, {}},
    {{"SpinEdit42", 127, 0}, {}},
    {{"SpinEdit43", 127, 0}, {}},
    {{"SpinEdit44", 127, 0}, {}},
    {{"SpinEdit45", 127, 0}, {}},
    {{"SpinEdit46", 127, 0}, {}},
    {{"SpinEdit47", 127, 0}, {}},
    {{"SpinEdit48", 127, 0}, {}},
    {{"SpinEdit49", 127, 0}, {}},
    {{"SpinEdit50", 127, 0}, {}},
    {{"SpinEdit51", 127, 0}, {}},
    {{"SpinEdit52", 127, 0}, {}},
    {{"SpinEdit53", 127, 0}, {}},
    {{"SpinEdit54", 127, 0}, {}},
    {{"SpinEdit55", 127, 0}, {}},
    {{"SpinEdit56", 127, 0}, {}},
    {{"SpinEdit57", 127, 0}, {}},
    {{"SpinEdit58", 127, 0}, {}},
    {{"SpinEdit59", 127, 0}, {}},
    {{"SpinEdit60", 127, 0}, {}},
    {{"SpinEdit61", 127, 0}, {}},
    {{"SpinEdit62", 127, 0}, {}},
    {{"SpinEdit63", 127, 0}, {}},
    {{"SpinEdit64", 127, 0}, {}},
    {{"SpinEdit65", 127, 0}, {}},
    {{"SpinEdit66", 127, 0}, {}},
    {{"SpinEdit67", 127, 0}, {}},
    {{"SpinEdit68", 127, 0}, {}},
    {{"SpinEdit69", 127, 0}, {}},
    {{"SpinEdit70", 127, 0}, {}},
    {{"SpinEdit71", 127, 0}, {}},
    {{"SpinEdit72", 127, 0}, {}},
    {{"SpinEdit73", 255, 0}, {}}, // "SGN  SGP"
    {{"SpinEdit74", 1, 1}, {}},   // "GMA_RELOAD"
};

// VRP, then VRN: seven rows of two and one more. The designer numbering skips 90.
const std::vector<Byte> Ili9486Table{
    {{"SpinEdit75", 127, 15}, {}},
    {{"SpinEdit76", 127, 36}, {}},
    {{"SpinEdit77", 127, 28}, {}},
    {{"SpinEdit78", 127, 10}, {}},
    {{"SpinEdit79", 127, 15}, {}},
    {{"SpinEdit80", 127, 8}, {}},
    {{"SpinEdit81", 127, 68}, {}},
    {{"SpinEdit82", 135, 135}, {}},
    {{"SpinEdit83", 135, 50}, {}},
    {{"SpinEdit84", 127, 15}, {}},
    {{"SpinEdit85", 127, 16}, {}},
    {{"SpinEdit86", 127, 6}, {}},
    {{"SpinEdit87", 127, 26}, {}},
    {{"SpinEdit88", 127, 7}, {}},
    {{"SpinEdit89", 127, 0}, {}},
    {{"SpinEdit91", 127, 15}, {}},
    {{"SpinEdit92", 127, 56}, {}},
    {{"SpinEdit93", 127, 48}, {}},
    {{"SpinEdit94", 127, 9}, {}},
    {{"SpinEdit95", 127, 15}, {}},
    {{"SpinEdit96", 127, 15}, {}},
    {{"SpinEdit97", 127, 78}, {}},
    {{"SpinEdit98", 127, 119}, {}},
    {{"SpinEdit99", 127, 60}, {}},
    {{"SpinEdit100", 127, 7}, {}},
    {{"SpinEdit101", 127, 76}, {}},
    {{"SpinEdit102", 127, 5}, {}},
    {{"SpinEdit103", 127, 35}, {}},
    {{"SpinEdit104", 127, 27}, {}},
    {{"SpinEdit105", 127, 0}, {}},
};

const Preset PresetHx8375b{{
    {0, 0}, {6, 7}, {0, 4}, {7, 0}, {0, 0}, {30, 0}, {3, 7}, {0, 1}, {7, 7}, {0, 7}, {15, 0}, {0, 0},
}};

const Preset PresetIli9481{{
    {0, 0}, {3, 2}, {3, 6}, {4, 5}, {6, 0}, {22, 0}, {3, 7}, {7, 5}, {7, 7}, {5, 4}, {12, 0}, {0, 0},
}};

} // namespace mfd::gamma
