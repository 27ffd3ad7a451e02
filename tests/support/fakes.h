#pragma once
// Test doubles for the driver's clock and window.

#include "session/clock.h"
#include "session/driver_view.h"
#include "session/session_driver.h"

#include <QMap>
#include <QStringList>
#include <functional>
#include <vector>

namespace mfd::test {

// A clock that moves only when told, or when a pause asks it to.
class FakeClock : public Clock {
public:
    std::uint32_t now = 0xFFFFFF00u; // close to the wrap, so pauses cross it
    std::vector<std::uint32_t> pauses; // ms asked for, in order
    std::uint32_t Now() override { return now; }
    void PauseUntil(std::uint32_t mark, std::uint32_t ms) override
    {
        pauses.push_back(ms);
        if (static_cast<std::uint32_t>(now - mark) < ms)
            now = mark + ms;
    }
};

// A window that records what the driver did to it.
class FakeView : public DriverView {
public:
    static constexpr int Pages = 9;
    QString panel[7];
    QString panelTip[7];
    bool pictureVisible = false;
    bool pageControlShown = false;
    int tags[Pages] = {0, 0, 0, 0, 0, 0, 0, 0, 1};
    bool pageEnabled[Pages] = {false, true, true, true, true, true, true, true, false};
    QMap<QString, QString> editText;
    QMap<QString, QColor> editColor;
    QMap<QString, bool> enabled;
    int link = 0;
    QStringList errors;
    int eventCalls = 0;
    int waits = 0;
    // Runs inside every processEvents, like the user's clicks would.
    std::function<void(FakeView &)> onEvents;
    SessionDriver *driver = nullptr;

    void setStatusText(int p, const QString &t) override { panel[p] = t; }
    void setStatusToolTip(int p, const QString &t) override { panelTip[p] = t; }
    void setStatusPictureVisible(bool v) override { pictureVisible = v; }
    void showPageControl() override { pageControlShown = true; }
    int pageCount() const override { return Pages; }
    int pageTag(int i) const override { return tags[i]; }
    void setPageEnabled(int i, bool e) override { pageEnabled[i] = e; }
    void setEditText(const QString &n, const QString &t) override { editText[n] = t; }
    void setEditColor(const QString &n, const QColor &c) override { editColor[n] = c; }
    void setControlEnabled(const QString &n, bool e) override { enabled[n] = e; }
    int linkType() const override { return link; }
    void processEvents(bool wait, int) override
    {
        ++eventCalls;
        if (wait)
            ++waits;
        if (onEvents)
            onEvents(*this);
        // A runaway loop ends the test instead of hanging it.
        if (eventCalls > 100000 && driver)
            driver->requestExit();
    }
    void reportError(const QString &t) override { errors << t; }
};

} // namespace mfd::test
