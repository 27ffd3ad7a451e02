#pragma once
// The real window on a fake link and clock, run one driver pass at a time.

#include "app/main_window.h"
#include "fakes.h"
#include "session/fake_link.h"

#include <QApplication>
#include <QStringList>
#include <QtTest>

namespace mfd::test {

struct WindowRig {
    enum Showing { Hidden, Shown };

    FakeLink link;
    FakeClock clock;
    TForm3 window{link, clock};
    QStringList errors;
    Session s;

    // Shown, the window is also made active so that clicks move the focus as they do for a user,
    // and its page control is shown as after the first session opening.
    explicit WindowRig(Showing showing = Shown)
    {
        window.setErrorReporter([this](const QString &t) { errors << t; });
        link.SetActive(true);
        link.clearRecord();
        if (showing == Shown) {
            window.showPageControl();
            window.show();
            QApplication::setActiveWindow(&window);
        }
    }
    // Whether the shown window is on screen and active, so that clicks reach it.
    bool ready() { return QTest::qWaitForWindowExposed(&window) && QTest::qWaitForWindowActive(&window); }

    // Null when the window has no such control.
    template <typename T = QWidget>
    T *control(const QString &name) { return window.findChild<T *>(name); }
    Slots &rq() { return window.requests(); }
    void pass() { window.driver().pass(s); }
};

} // namespace mfd::test
