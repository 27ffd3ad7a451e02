#include "transfer/transfer_steps.h"
#include "session/arith.h"
#include "transfer/eta.h"

#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <limits>
#include <memory>
#include <stdexcept>

namespace mfd {

ProgressSpan progressSpan(qint64 pos, qint64 size)
{
    if (size <= 0)
        return {1, 0};
    constexpr qint64 Max = std::numeric_limits<int>::max();
    pos = std::clamp<qint64>(pos, 0, size);
    if (size <= Max)
        return {static_cast<int>(size), static_cast<int>(pos)};
    return {static_cast<int>(Max), static_cast<int>(static_cast<double>(pos) / static_cast<double>(size) * Max)};
}

ProgressFn windowProgress(QWidget *window)
{
    QPointer<QWidget> w(window);
    QPointer<QProgressBar> bar;
    auto eta = std::make_shared<EtaEstimator>();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return [w, bar, eta, clock](qint64 pos, qint64 size) mutable {
        if (!bar && w)
            bar = w->findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
        if (!bar)
            return;
        const auto now = static_cast<std::uint32_t>(clock->elapsed());
        if (pos == 0)
            eta->start(pos, now);
        const ProgressSpan span = progressSpan(pos, size);
        bar->setRange(0, span.maximum);
        bar->setValue(span.value);
        bar->setFormat(progressText(pos, size, eta->secondsLeft(pos, size, now)));
        bar->setTextVisible(true);
    };
}

AckWait awaitLead(SessionDriver &driver, const Session &s, std::uint8_t lead)
{
    Link &link = driver.link();
    if (since(link.TotalReceived(), s.RxMark) < reply::Ack || link.Available() < 1)
        return AckWait::Waiting;
    return link.ReadByte() == lead ? AckWait::Lead : AckWait::OtherByte;
}

ChecksumAck awaitChecksumAck(SessionDriver &driver, const Session &s, std::uint8_t lead)
{
    if (!driver.arrived(s, reply::Ack))
        return {AckWait::Waiting};
    Link &link = driver.link();
    if (link.ReadByte() != lead)
        return {AckWait::OtherByte};
    return {AckWait::Lead, link.ReadByte()};
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, file.errorString()).toStdString());
    QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error(QStringLiteral("Cannot read file \"%1\". %2").arg(path, file.errorString()).toStdString());
    return data;
}

} // namespace mfd
