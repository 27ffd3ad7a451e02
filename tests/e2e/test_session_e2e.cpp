// A whole session through the real window and the real serial code, against the simulated unit
// on a pseudo-terminal.
#include "app/main_window.h"
#include "app/port_chooser.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "sim_process.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>
#include <functional>

using namespace mfd;
using namespace mfd::test;

namespace {

// Runs check every 10 ms inside the driver's event processing until it returns true; gives up
// (pressing "Exit") after limitMs so a broken driver fails the test instead of hanging it.
class Watcher : public QObject {
public:
    Watcher(TForm3 &w, std::function<bool()> check, int limitMs = 20000) : w_(w), check_(std::move(check))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this, limitMs] {
            if (check_ && check_())
                check_ = nullptr;
            if (clock_.elapsed() > limitMs && !timedOut) {
                qWarning("gave up waiting: state %s, total %s", qPrintable(w_.statusPanel(4)->text()),
                         qPrintable(w_.statusPanel(5)->text()));
                timedOut = true;
                w_.Button2Click();
            }
        });
        clock_.start();
        timer_.start();
    }
    bool timedOut = false;

private:
    TForm3 &w_;
    std::function<bool()> check_;
    QTimer timer_;
    QElapsedTimer clock_;
};

QString editText(TForm3 &w, const char *name) { return w.findChild<QLineEdit *>(name)->text(); }
QColor editColor(TForm3 &w, const char *name)
{
    return w.findChild<QLineEdit *>(name)->palette().color(QPalette::Base);
}

} // namespace

class TestSessionE2e : public QObject {
    Q_OBJECT
private slots:
    void sessionOpensThenUnitVanishesThenReconnects()
    {
        SimProcess sim({"--disks", "8,16,0,4", "--sd", "3"});
        QVERIFY(sim.started());

        SerialLink link;
        SteadyClock clock;
        TForm3 w(link, clock);
        QStringList errors;
        w.setErrorReporter([&](const QString &e) { errors << e; });
        w.show();
        w.portChosen(sim.port());

        // Phase 1: the session opens and the disk panel fills.
        // Phase 2: the unit vanishes; one error report; the driver polls on with the port closed.
        int phase = 1;
        Watcher watch(w, [&] {
            if (phase == 1 && w.statusPanel(4)->text() == QLatin1String("1000")) {
                phase = 2;
                sim.kill();
                return false;
            }
            if (phase == 2 && !errors.isEmpty() && !link.Active()) {
                w.Button2Click();
                return true;
            }
            return false;
        });
        w.findChild<QPushButton *>("Button8")->click();
        QVERIFY(!watch.timedOut);

        QCOMPARE(sim.frames().mid(0, 2), QStringList({"A1 04 4B 6F 72 76", "A6 01 20"}));
        QVERIFY(!link.LowLatency()); // a pseudo-terminal refuses it, and the session went on
        QVERIFY(w.pageControl()->isVisible());
        QCOMPARE(editText(w, "Edit6"), QStringLiteral("8"));
        QCOMPARE(editText(w, "Edit8"), QStringLiteral("0"));
        QCOMPARE(editText(w, "Edit10"), QStringLiteral("48"));
        QCOMPARE(editColor(w, "Edit7"), QColor(0, 128, 0));
        QCOMPARE(editColor(w, "Edit8"), QColor(255, 0, 0));
        QCOMPARE(editColor(w, "Edit12"), QColor(255, 0, 0));
        QVERIFY(!w.findChild<QWidget *>("BitBtn14")->isEnabled());
        QVERIFY(w.findChild<QWidget *>("cxTabSheet4")->isEnabled());
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors.first().contains(sim.port()));
        QVERIFY(!link.Active());
        QCOMPARE(w.driver().running(), 0);

        // The unit comes back on a new port: "Connect" starts over and opens a session.
        SimProcess again({"--disks", "1,1,1,1", "--sd", "0"});
        QVERIFY(again.started());
        w.portChosen(again.port());
        Watcher watch2(w, [&] {
            if (w.statusPanel(4)->text() == QLatin1String("1000")) {
                w.Button2Click();
                return true;
            }
            return false;
        });
        w.findChild<QPushButton *>("Button8")->click();
        QVERIFY(!watch2.timedOut);
        QCOMPARE(editText(w, "Edit8"), QStringLiteral("1"));
        QCOMPARE(editColor(w, "Edit12"), QColor(255, 0, 0)); // red for the rest of the run
        QVERIFY(!w.findChild<QWidget *>("cxTabSheet4")->isEnabled());
        QCOMPARE(errors.size(), 1);
    }

    void nestedConnectThroughTheWindow()
    {
        SimProcess sim;
        QVERIFY(sim.started());
        SerialLink link;
        SteadyClock clock;
        TForm3 w(link, clock);
        w.setErrorReporter([](const QString &) {});
        w.show();
        w.portChosen(sim.port());
        int maxDepth = 0;
        Watcher watch(w, [&] {
            maxDepth = std::max(maxDepth, w.driver().running());
            if (w.statusPanel(4)->text() != QLatin1String("1000"))
                return false;
            if (w.driver().running() == 1) {
                w.statusPanel(4)->clear();
                // A second session inside the first, clicked from its own event, not from inside
                // this check (a timer does not fire again while its own handler runs).
                QTimer::singleShot(0, &w, [&w] { w.findChild<QPushButton *>("Button8")->click(); });
                return false;
            }
            w.Button2Click(); // one "Exit" ends both
            return true;
        });
        w.findChild<QPushButton *>("Button8")->click();
        QVERIFY(!watch.timedOut);
        QCOMPARE(maxDepth, 2);
        QCOMPARE(w.driver().running(), 0);
        QVERIFY(!link.Active());
        QCOMPARE(sim.frames().filter(QStringLiteral("A1 04")).size(), 2);
    }

    void announcedPortIsListedAndChosen()
    {
        SimProcess sim({}, true);
        QVERIFY(sim.started());
        SerialLink link;
        SteadyClock clock;
        TForm3 w(link, clock);
        QCOMPARE(w.portChooser()->chosenPort(), sim.port());
        QCOMPARE(link.PortName(), sim.port());

        // Devices come and go: the list follows without a restart.
        sim.kill();
        QTRY_VERIFY(!PortChooser::listPorts().contains(sim.port()));
    }

    void portThatCannotOpenIsRetried()
    {
        SerialLink link;
        SteadyClock clock;
        TForm3 w(link, clock);
        w.setErrorReporter([](const QString &) {});
        w.portChosen(QStringLiteral("/dev/mfd-no-such-port"));
        Watcher watch(w, [&] {
            if (w.statusPanel(0)->text() == QLatin1String("try connect 3")) {
                w.Button2Click();
                return true;
            }
            return false;
        });
        w.findChild<QPushButton *>("Button8")->click();
        QVERIFY(!watch.timedOut);
        QVERIFY(w.statusPanel(0)->toolTip().contains(QLatin1String("no such device")));
        QVERIFY(!w.pageControl()->isVisible());
    }
};

QTEST_MAIN(TestSessionE2e)
#include "test_session_e2e.moc"
