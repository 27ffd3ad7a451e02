#pragma once
// The engine behind "Connect": the connect loop, the polling loop, and the session opening.
// Each pass shows the state and the received total, performs the one step of SessionState,
// and lets the window process its events. Between passes it waits for an event instead of
// spinning whenever a pass could not have changed anything.

#include "session/clock.h"
#include "session/driver_view.h"
#include "session/link.h"
#include "session/slots.h"

#include <functional>
#include <map>

namespace mfd {

class SessionDriver {
public:
    using Step = std::function<void(Session &)>;

    // How the loop waits after a pass that changed nothing: until an event arrives, or, for a
    // state that polls something other than the link, at most a short while.
    struct StepEntry {
        Step step;
        int pollMs = 0;
    };

    SessionDriver(Link &link, Clock &clock, DriverView &view, Slots &rq);

    Link &link() { return link_; }
    Clock &clock() { return clock_; }
    DriverView &view() { return view_; }
    Slots &requests() { return slots_; }

    void registerStep(int state, Step step, int pollMs = 0);
    bool hasStep(int state) const { return steps_.count(state) != 0; }

    // "Connect" (Button8Click): returns once "Exit" has ended the session, or when a step failed
    // (the error is shown by the window's general error report and the port is left open).
    void connect();
    // "Exit" (Button2Click).
    void requestExit() { slots_.ExitRequested = true; }
    // Depth of nested "Connect" runs; 0 when no session runs.
    int running() const { return depth_; }

    // One try of the connect loop: close, set the baud rate, open, purge. False when any failed.
    bool tryOpen(Session &s);
    // One pass of the polling loop.
    void pass(Session &s);

    // True when at least n bytes have arrived since RxMark and wait unread. The second half
    // guards against a mark taken on another port (after a port switch the total restarts from
    // 0, so the wrapped difference is huge while nothing is there to read).
    bool arrived(const Session &s, std::uint32_t n) const;

    static int baudForLinkType(int linkType) { return linkType == 2 ? 230400 : 921600; }

private:
    void runConnectLoop(Session &s);
    void runPollingLoop(Session &s);
    void reportLinkFault();
    void stepSessionOpening(Session &s);
    void stepDiskQuery(Session &s);
    void stepDiskReply(Session &s);

    Link &link_;
    Clock &clock_;
    DriverView &view_;
    Slots &slots_;
    std::map<int, StepEntry> steps_;
    int depth_ = 0;
};

// Fields per flash disk: size field on the disk panel, file field and picker on the image page.
struct DiskControls {
    const char *sizeField;
    const char *fileField;
    const char *picker;
};
inline constexpr DiskControls Disks[4] = {
    {"Edit6", "Edit5", "BitBtn10"},
    {"Edit7", "Edit11", "BitBtn12"},
    {"Edit8", "Edit12", "BitBtn14"},
    {"Edit9", "Edit13", "BitBtn16"},
};

} // namespace mfd
