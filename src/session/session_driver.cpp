#include "session/session_driver.h"
#include "session/arith.h"
#include "session/protocol.h"

#include <exception>

namespace mfd {

namespace {
constexpr std::uint32_t ConnectRetryMs = 50;
constexpr std::uint32_t HandshakePauseMs = 500;
} // namespace

SessionDriver::SessionDriver(Link &link, Clock &clock, DriverView &view, Slots &rq)
    : link_(link), clock_(clock), view_(view), slots_(rq)
{
    registerStep(state::SessionOpening, [this](Session &s) { stepSessionOpening(s); });
    registerStep(state::DiskQuery, [this](Session &s) { stepDiskQuery(s); });
    registerStep(state::DiskReply, [this](Session &s) { stepDiskReply(s); });
}

void SessionDriver::registerStep(int st, Step step, int pollMs)
{
    steps_[st] = StepEntry{std::move(step), pollMs};
}

bool SessionDriver::arrived(const Session &s, std::uint32_t n) const
{
    return since(link_.TotalReceived(), s.RxMark) >= n && link_.Available() >= n;
}

void SessionDriver::connect()
{
    struct Depth {
        int &d;
        explicit Depth(int &x) : d(x) { ++d; }
        ~Depth() { --d; }
    } depth(depth_);

    Session s;
    try {
        slots_.ExitRequested = false;
        view_.setStatusPictureVisible(false);
        runConnectLoop(s);
        view_.setStatusPictureVisible(true);
        slots_.SessionState = state::SessionOpening;
        runPollingLoop(s);
        link_.SetActive(false);
    } catch (const std::exception &e) {
        // The session ends here with the port left open; "Connect" starts over.
        view_.reportError(QString::fromUtf8(e.what()));
    } catch (...) {
        view_.reportError(QStringLiteral("Unknown error"));
    }
}

bool SessionDriver::tryOpen(Session &)
{
    try {
        link_.SetActive(false);
        link_.SetBaudRate(baudForLinkType(view_.linkType()));
        link_.SetActive(true);
        link_.ClearDeviceBuffers();
        view_.setStatusToolTip(0, QString());
        return true;
    } catch (const LinkError &e) {
        view_.setStatusToolTip(0, QString::fromUtf8(e.what()));
        return false;
    }
}

void SessionDriver::runConnectLoop(Session &s)
{
    while (!slots_.ExitRequested) {
        if (tryOpen(s))
            return;
        s.PauseMark = clock_.Now();
        clock_.PauseUntil(s.PauseMark, ConnectRetryMs);
        ++s.ConnectTries;
        view_.setStatusText(0, QStringLiteral("try connect %1").arg(s.ConnectTries));
        view_.processEvents();
    }
}

void SessionDriver::runPollingLoop(Session &s)
{
    while (!slots_.ExitRequested) {
        const int stateBefore = slots_.SessionState;
        const std::uint32_t totalBefore = link_.TotalReceived();
        const std::size_t availableBefore = link_.Available();
        const bool activeBefore = link_.Active();

        pass(s);

        if (slots_.ExitRequested)
            break;
        const bool unchanged = slots_.SessionState == stateBefore && link_.TotalReceived() == totalBefore
                               && link_.Available() == availableBefore && link_.Active() == activeBefore;
        if (unchanged) {
            // Nothing a next pass could act on has happened: sleep until an event does.
            const auto it = steps_.find(slots_.SessionState);
            view_.processEvents(true, it == steps_.end() ? 0 : it->second.pollMs);
            reportLinkFault();
        }
    }
}

void SessionDriver::reportLinkFault()
{
    if (auto fault = link_.TakeFault())
        view_.reportError(*fault);
}

void SessionDriver::pass(Session &s)
{
    view_.setStatusText(4, QString::number(slots_.SessionState));
    view_.setStatusText(5, QString::number(link_.TotalReceived()));
    const auto it = steps_.find(slots_.SessionState);
    if (it != steps_.end())
        it->second.step(s);
    view_.processEvents();
    reportLinkFault();
}

void SessionDriver::stepSessionOpening(Session &s)
{
    sendHandshake(link_);
    slots_.SessionState = state::DiskQuery;
    view_.showPageControl();
    for (int i = 0; i < view_.pageCount(); ++i)
        if (view_.pageTag(i) == 1)
            view_.setPageEnabled(i, false);
    s.PauseMark = clock_.Now();
}

void SessionDriver::stepDiskQuery(Session &s)
{
    // Whatever the unit said to the handshake arrives during this pause and is purged below.
    clock_.PauseUntil(s.PauseMark, HandshakePauseMs);
    s.RxMark = sendCommand(link_, code::DiskSizes);
    slots_.SessionState = state::DiskReply;
}

void SessionDriver::stepDiskReply(Session &s)
{
    if (!arrived(s, reply::DiskSizes.awaited))
        return;
    link_.ReadByte();
    for (const DiskControls &disk : Disks) {
        const std::uint8_t mb = link_.ReadByte();
        view_.setEditText(QString::fromLatin1(disk.sizeField), QString::number(mb));
        if (mb == 0) {
            view_.setEditColor(QString::fromLatin1(disk.sizeField), colors::Red);
            view_.setEditColor(QString::fromLatin1(disk.fileField), colors::Red);
        } else {
            view_.setEditColor(QString::fromLatin1(disk.sizeField), colors::Green);
        }
        view_.setControlEnabled(QString::fromLatin1(disk.picker), mb != 0);
    }
    const std::uint8_t sd = link_.ReadByte();
    view_.setEditText(QStringLiteral("Edit10"), QString::number(16 * sd));
    view_.setEditColor(QStringLiteral("Edit10"), sd == 0 ? colors::Red : colors::Green);
    view_.setControlEnabled(QStringLiteral("cxTabSheet4"), sd != 0);
    slots_.SessionState = state::Idle;
}

} // namespace mfd
