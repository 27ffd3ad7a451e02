#include "transfer/throughput.h"
#include "session/arith.h"

namespace mfd {

long long throughput(std::uint64_t bytes, std::uint32_t now, std::uint32_t mark)
{
    // The + 1 is added in floating point: in 32 bits an elapsed 0xFFFFFFFF would wrap to a
    // division by zero.
    const double elapsed = static_cast<double>(since(now, mark)) + 1.0;
    return roundHalfEven(static_cast<double>(bytes) * 1000.0 / elapsed);
}

} // namespace mfd
