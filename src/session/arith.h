#pragma once
// The wrapping and rounding rules the unit's protocol and pages depend on, each in one place.

#include <cmath>
#include <cstdint>

namespace mfd {

// Elapsed ticks or received bytes since a mark: (now - mark) modulo 2^32, unsigned.
constexpr std::uint32_t since(std::uint32_t now, std::uint32_t mark) { return now - mark; }

// Nearest integer, exact halves to the even neighbour (62.5 -> 62, 12.5 -> 12, 24.5 -> 24).
inline long long roundHalfEven(double x) { return static_cast<long long>(std::nearbyint(x)); }

// Sum of bytes modulo 256.
template <typename It>
constexpr std::uint8_t sum8(It first, It last)
{
    std::uint8_t s = 0;
    for (; first != last; ++first)
        s = static_cast<std::uint8_t>(s + static_cast<std::uint8_t>(*first));
    return s;
}

} // namespace mfd
