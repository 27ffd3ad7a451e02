#include "transfer/eta.h"
#include "session/arith.h"

#include <cmath>

namespace mfd {

void EtaEstimator::start(qint64 pos, std::uint32_t nowMs)
{
    startPos_ = pos;
    startMs_ = nowMs;
}

std::optional<qint64> EtaEstimator::secondsLeft(qint64 pos, qint64 size, std::uint32_t nowMs) const
{
    const qint64 done = pos - startPos_;
    const std::uint32_t ms = since(nowMs, startMs_);
    if (done <= 0 || ms == 0)
        return std::nullopt;
    const double msPerByte = double(ms) / double(done);
    return static_cast<qint64>(std::ceil(double(size - pos) * msPerByte / 1000.0));
}

QString progressText(qint64 pos, qint64 size, std::optional<qint64> secondsLeft)
{
    const int percent = size <= 0 ? 100 : static_cast<int>(pos * 100 / size);
    QString text = QStringLiteral("%1%").arg(percent);
    if (secondsLeft && pos < size) {
        const qint64 s = *secondsLeft;
        text += s >= 3600 ? QStringLiteral(" - %1:%2:%3 left").arg(s / 3600).arg(s / 60 % 60, 2, 10, QLatin1Char('0')).arg(s % 60, 2, 10, QLatin1Char('0'))
                          : QStringLiteral(" - %1:%2 left").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    }
    return text;
}

} // namespace mfd
