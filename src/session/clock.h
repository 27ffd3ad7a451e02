#pragma once
// The millisecond tick the driver's pauses and the transfers' throughput are measured with.

#include <cstdint>

namespace mfd {

class Clock {
public:
    virtual ~Clock() = default;
    // Wrapping 32-bit millisecond tick.
    virtual std::uint32_t Now() = 0;
    // Holds the calling thread, processing no events, until at least ms have passed since mark.
    virtual void PauseUntil(std::uint32_t mark, std::uint32_t ms) = 0;
};

// The system's monotonic clock, truncated to 32 bits like the tick counter the unit's users know.
class SteadyClock : public Clock {
public:
    std::uint32_t Now() override;
    void PauseUntil(std::uint32_t mark, std::uint32_t ms) override;
};

} // namespace mfd
