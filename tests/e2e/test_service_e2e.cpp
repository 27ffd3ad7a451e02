// Service commands over a real pseudo-terminal: the window, on its serial link, against the
// simulated unit, which prints every frame it receives and records the one-shot commands.

#include "app/main_window.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "user_actions.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

namespace {

constexpr int WaitMs = 10000;

class SimUnit {
public:
    QProcess process;
    QString port;
    QStringList frames; // "RX ..." lines, in order

    bool start(const QString &stateFile)
    {
        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(MFD_SIM_BINARY), {QStringLiteral("--hex"), QStringLiteral("--quiet"),
                                                       QStringLiteral("--no-announce"),
                                                       QStringLiteral("--state-file"), stateFile});
        if (!process.waitForStarted(WaitMs))
            return false;
        QDeadlineTimer deadline(WaitMs);
        while (!process.canReadLine() && !deadline.hasExpired())
            process.waitForReadyRead(100);
        const QString first = QString::fromLatin1(process.readLine()).trimmed();
        if (!first.startsWith(QLatin1String("PORT ")))
            return false;
        port = first.mid(5);
        return true;
    }
    // Collects received frames until there are at least n, or the wait runs out.
    void collect(int n)
    {
        QDeadlineTimer deadline(WaitMs);
        while (frames.size() < n && !deadline.hasExpired()) {
            while (process.canReadLine())
                frames << QString::fromLatin1(process.readLine()).trimmed();
            if (frames.size() < n)
                process.waitForReadyRead(50);
        }
    }
    ~SimUnit()
    {
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(WaitMs))
                process.kill();
        }
    }
};

} // namespace

class TestServiceE2e : public QObject {
    Q_OBJECT

private slots:
    void commandsReachTheUnit();
};

void TestServiceE2e::commandsReachTheUnit()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString stateFile = dir.filePath(QStringLiteral("unit.state"));
    SimUnit sim;
    QVERIFY2(sim.start(stateFile), qPrintable(sim.process.readAllStandardError()));

    SerialLink link;
    SteadyClock clock;
    TForm3 window(link, clock);
    QStringList errors;
    window.setErrorReporter([&errors](const QString &t) { errors << t; });
    link.SetPortName(sim.port);
    link.SetBaudRate(921600);
    link.SetActive(true);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    Slots &rq = window.requests();
    Session s;
    // Steps the driver until it rests, letting the link take in what arrives.
    auto settle = [&] {
        QElapsedTimer t;
        t.start();
        do {
            window.driver().pass(s);
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        } while (rq.SessionState != state::Idle && t.elapsed() < WaitMs);
        return rq.SessionState == state::Idle;
    };
    rq.SessionState = state::SessionOpening;
    QVERIFY(settle());
    QCOMPARE(window.findChild<QLineEdit *>(QStringLiteral("Edit7"))->text(), QStringLiteral("16"));

    User user(window);

    user.click("Button9"); // "+"
    QVERIFY(settle());
    user.type("SpinEdit2", QStringLiteral("150"));
    user.click("Button1"); // "Brightness", brought to 100
    QVERIFY(settle());
    user.click("CheckBox1"); // "kl 15" ticked
    QVERIFY(settle());
    user.click("CheckBox2"); // "s86": nothing
    QVERIFY(settle());
    user.type("SpinEdit1", QStringLiteral("32"));
    user.click("Button21"); // "Doors"
    QVERIFY(settle());
    user.click("CheckBox1"); // "kl 15" cleared
    QVERIFY(settle());
    user.click("BitBtn18"); // "Reboot", image page
    QVERIFY(settle());
    window.driver().pass(s);
    QCOMPARE(window.statusPanel(4)->text(), QStringLiteral("1000"));

    const QStringList expected{
        QStringLiteral("RX A1 04 4B 6F 72 76"), QStringLiteral("RX A6 01 20"),   QStringLiteral("RX A6 01 01"),
        QStringLiteral("RX A6 02 32 64"),       QStringLiteral("RX A6 01 34"),   QStringLiteral("RX A6 02 14 20"),
        QStringLiteral("RX A6 01 33"),          QStringLiteral("RX A6 01 19"),
    };
    sim.collect(int(expected.size()));
    QCOMPARE(sim.frames, expected);

    // The unit's own record of the one-shot commands, code and argument.
    const QStringList commands{QStringLiteral("commands 6"), QStringLiteral("command 1"),
                               QStringLiteral("command 50 100"), QStringLiteral("command 52"),
                               QStringLiteral("command 20 32"), QStringLiteral("command 51"),
                               QStringLiteral("command 25")};
    QStringList recorded;
    QDeadlineTimer deadline(WaitMs);
    do {
        QFile f(stateFile);
        recorded.clear();
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &line : f.readAll().split('\n'))
                if (line.startsWith("command"))
                    recorded << QString::fromLatin1(line);
        if (recorded == commands)
            break;
        QTest::qWait(20);
    } while (!deadline.hasExpired());
    QCOMPARE(recorded, commands);
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join(QLatin1Char('\n'))));
    link.SetActive(false);
}

QTEST_MAIN(TestServiceE2e)
#include "test_service_e2e.moc"
