#pragma once
// Time left in an upload, from how long the acknowledged frames so far actually took (the link's
// real pace, adapter latency and the unit's own work included), not from the baud rate.

#include <QString>
#include <cstdint>
#include <optional>

namespace mfd {

class EtaEstimator {
public:
    // A new file: pos is where it starts (0), at tick nowMs.
    void start(qint64 pos, std::uint32_t nowMs);
    // Seconds left for size bytes, pos acknowledged at nowMs; nothing until a frame has been timed.
    std::optional<qint64> secondsLeft(qint64 pos, qint64 size, std::uint32_t nowMs) const;

private:
    qint64 startPos_ = 0;
    std::uint32_t startMs_ = 0;
};

// The progress bar's text: "37%", or "37% - 1:05 left" once the time left is known.
QString progressText(qint64 pos, qint64 size, std::optional<qint64> secondsLeft);

} // namespace mfd
