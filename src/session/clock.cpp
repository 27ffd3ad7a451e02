#include "session/clock.h"
#include "session/arith.h"

#include <chrono>
#include <thread>

namespace mfd {

std::uint32_t SteadyClock::Now()
{
    using namespace std::chrono;
    return static_cast<std::uint32_t>(
        duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::PauseUntil(std::uint32_t mark, std::uint32_t ms)
{
    // Sleeps rather than spins; a wrap of the tick between mark and now is harmless.
    for (;;) {
        const std::uint32_t elapsed = since(Now(), mark);
        if (elapsed >= ms)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(ms - elapsed));
    }
}

} // namespace mfd
