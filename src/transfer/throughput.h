#pragma once
// Bytes per second shown while a file goes out: bytes × 1000 / (elapsed ticks + 1), the elapsed
// ticks taken modulo 2^32 since the tick counter wraps, rounded half to even.

#include <cstdint>

namespace mfd {

long long throughput(std::uint64_t bytes, std::uint32_t now, std::uint32_t mark);

} // namespace mfd
