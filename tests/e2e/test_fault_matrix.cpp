// The shell against a faulty unit and a faulty line, end to end: the real window, started with a
// real "Connect", on its real serial code, over a pseudo-terminal to the simulated unit with its
// fault switches. For every scenario:
//  - the outcome the shell promises (what it sends, what it shows, what the unit stores);
//  - every file either stored byte-identical on the unit or reported as an error;
//  - the window kept answering: a 10 ms timer is never late by more than FreezeLimitMs, the
//    session's own 50 ms and 500 ms pauses taken out. That bound catches a frozen window without
//    turning a busy machine into a failure; the lateness itself (goal 100 ms) is printed for
//    each scenario and over the whole matrix.
#include "app/main_window.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"
#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include "test_files.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

using namespace mfd;
using namespace mfd::test;

namespace {

constexpr qint64 FreezeLimitMs = 2000;
constexpr qint64 ScenarioLimitMs = 60000;

qint64 worstLatenessNs = 0;


bool writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

// mfd-sim on its own pseudo-terminal, storing under its own folder.
class Sim {
public:
    QTemporaryDir root;
    QProcess proc;
    QString port;

    explicit Sim(const QStringList &extra)
    {
        proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        proc.start(QStringLiteral(MFD_SIM_BINARY), QStringList{"--root", root.path(), "--no-announce", "--quiet"} + extra);
        QElapsedTimer t;
        t.start();
        while (port.isEmpty() && t.elapsed() < 5000 && (proc.canReadLine() || proc.waitForReadyRead(100))) {
            const QByteArray line = proc.readLine().trimmed();
            if (line.startsWith("PORT "))
                port = QString::fromUtf8(line.mid(5));
        }
    }
    ~Sim() { kill(); }
    void kill()
    {
        if (proc.state() == QProcess::NotRunning)
            return;
        proc.kill();
        proc.waitForFinished(3000);
    }
    QByteArray stored(const QString &relative) const
    {
        return readRaw(std::filesystem::path(QFile::encodeName(root.path()).toStdString())
                       / QFile::encodeName(relative).toStdString());
    }
};

// The system clock, minus the time spent in the session's own pauses, which hold the window by
// design and are not counted as lateness.
class MeteredClock : public SteadyClock {
public:
    qint64 pausedNs = 0;
    void PauseUntil(std::uint32_t mark, std::uint32_t ms) override
    {
        QElapsedTimer t;
        t.start();
        SteadyClock::PauseUntil(mark, ms);
        pausedNs += t.nsecsElapsed();
    }
};

// The real window, keeping every transfer message it shows, however briefly.
class Window : public TForm3 {
public:
    using TForm3::TForm3;
    QStringList messages;
    void setStatusText(int panel, const QString &text) override
    {
        if (panel == 1)
            messages << text;
        TForm3::setStatusText(panel, text);
    }
};

// One scenario: the window on a serial link, a script of (condition, action) steps run from a
// 10 ms timer inside the driver's own event processing, and the lateness of that timer.
class Rig {
public:
    MeteredClock clock;
    SerialLink link;
    Window w{link, clock};
    QStringList errors;
    qint64 maxLateNs = 0;
    bool timedOut = false;

    struct Step {
        std::function<bool()> until;
        std::function<void()> then;
    };

    explicit Rig(const QString &port)
    {
        w.setErrorReporter([this](const QString &e) { errors << e; });
        w.portChosen(port);
    }

    QString panel(int n) const { return w.statusPanel(n)->text(); }
    // The request slots, not the status panel, which shows a new request only from its first pass.
    bool idle() { return w.requests().SessionState == state::Idle; }
    template <class T = QPushButton> T *find(const char *name) { return w.findChild<T *>(QString::fromLatin1(name)); }
    void press(const char *name) { emit find(name)->clicked(false); }

    // Presses "Connect" and runs the steps; "Exit" follows the last one. Returns when the driver
    // has returned (after "Exit", or on a step's error).
    void connect(std::vector<Step> steps)
    {
        std::size_t next = 0;
        QElapsedTimer wall;
        wall.start();
        qint64 last = 0, lastPaused = clock.pausedNs;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = wall.nsecsElapsed();
            const qint64 late = (now - last) - (clock.pausedNs - lastPaused) - 10'000'000;
            if (last > 0)
                maxLateNs = std::max(maxLateNs, late);
            last = now;
            lastPaused = clock.pausedNs;
            // A step may run a nested "Connect", which ticks this timer again: advance first.
            while (next < steps.size() && (!steps[next].until || steps[next].until())) {
                const Step &step = steps[next++];
                if (step.then)
                    step.then();
            }
            if (next == steps.size()) {
                ++next;
                w.Button2Click();
            }
            if (wall.elapsed() > ScenarioLimitMs && !timedOut) {
                timedOut = true;
                qWarning("gave up at step %zu: state %s, total %s", next, qPrintable(panel(4)), qPrintable(panel(5)));
                w.Button2Click();
            }
        });
        tick.start();
        press("Button8");
        worstLatenessNs = std::max(worstLatenessNs, maxLateNs);
    }

    // A condition that holds once ms have passed since it was first asked.
    static std::function<bool()> after(int ms)
    {
        auto t = std::make_shared<QElapsedTimer>();
        return [t, ms] {
            if (!t->isValid())
                t->start();
            return t->elapsed() >= ms;
        };
    }

    SdPage *sdPage() { return w.findChild<SdPage *>(); }
    void loadFolder(const QString &folder, const QString &unitFolder = QStringLiteral("/"))
    {
        sdPage()->folderChooser()->setDirectory(folder);
        sdPage()->unitFolder()->setText(unitFolder);
        press("Button7");
    }
    void sendImage(const QString &path)
    {
        find<QLineEdit>("Edit12")->setText(path);
        press("BitBtn15"); // disk 2
    }
    bool batchDone()
    {
        return idle() && !w.messages.isEmpty()
               && (w.messages.last().startsWith(QLatin1String("Files is loaded")) || w.messages.last().contains(" not loaded"));
    }
    bool imageDone()
    {
        return idle() && !w.messages.isEmpty() && w.messages.last().startsWith(QLatin1String("File "));
    }
    bool reported(const QString &devicePath, const char *outcome) const
    {
        return w.messages.contains(QStringLiteral("File ") + devicePath + QLatin1Char(' ') + QLatin1String(outcome));
    }
};

QString lateness(qint64 ns) { return QString::number(double(ns) / 1e6, 'f', 1) + QStringLiteral(" ms"); }

struct Source {
    QString name;
    QByteArray content;
};

} // namespace

class TestFaultMatrix : public QObject {
    Q_OBJECT
private slots:
    void cleanupTestCase()
    {
        qInfo("largest lateness of the window over the matrix: %s (goal 100 ms)", qPrintable(lateness(worstLatenessNs)));
    }

    // An SD folder of three files and an image of 20 blocks, one after the other. Frames, as the
    // unit counts them: 1 handshake, 2 disk sizes; a.bin 3 start, 4-6 data, 7 end; b.bin 8, 9,
    // 10; c.bin 11, 12-15, 16; image 17 start, 18-37 blocks. Data acknowledgements are counted
    // apart: a.bin 1-3, b.bin 4, c.bin 5-8, image blocks 9-28.
    void transfers_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("failed"); // "*": whichever the line's garbage hits
        QTest::newRow("replies in one piece") << QStringList{} << QStringList{};
        QTest::newRow("noise bytes before each reply") << QStringList{"--noise", "3"} << QStringList{};
        QTest::newRow("replies byte by byte with gaps") << QStringList{"--byte-gap", "2"} << QStringList{};
        QTest::newRow("replies split in two") << QStringList{"--split-at", "1", "--split-delay", "15"} << QStringList{};
        QTest::newRow("wrong checksum on SD frame 2") << QStringList{"--corrupt-ack", "2"} << QStringList{"/a.bin"};
        QTest::newRow("wrong checksum on the last SD frame of a file")
            << QStringList{"--corrupt-ack", "8"} << QStringList{"/c.bin"};
        QTest::newRow("wrong checksum on image block 3") << QStringList{"--corrupt-ack", "11"} << QStringList{"img.imz"};
        QTest::newRow("replies longer than expected") << QStringList{"--extra", "7"} << QStringList{};
        QTest::newRow("1 MB of random bytes while an acknowledgement is awaited")
            << QStringList{"--flood", "1048576", "--flood-before", "5"} << QStringList{"*"};
        QTest::newRow("1 MB of random bytes while a block acknowledgement is awaited")
            << QStringList{"--flood", "1048576", "--flood-before", "20"} << QStringList{"*"};
    }

    void transfers()
    {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, failed);
        Sim sim(faults);
        QVERIFY(!sim.port.isEmpty());
        QTemporaryDir src;
        QDir(src.path()).mkdir("sd");
        const QList<Source> files{{"a.bin", randomBytes(600, 1)}, {"b.bin", {}}, {"c.bin", randomBytes(1000, 3)}};
        for (const Source &f : files)
            QVERIFY(writeFile(src.filePath("sd/" + f.name), f.content));
        const QByteArray image = randomBytes(20 * 1024 - 100, 4);
        QVERIFY(writeFile(src.filePath("img.imz"), image));

        Rig r(sim.port);
        r.connect({{[&] { return r.idle(); }, [&] { r.loadFolder(src.filePath("sd")); }},
                   {[&] { return r.batchDone(); }, [&] { r.sendImage(src.filePath("img.imz")); }},
                   {[&] { return r.imageDone(); }, {}}});
        QVERIFY(!r.timedOut);
        QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors.join('\n')));

        // Nothing stored wrong without saying so.
        QStringList reportedFailed;
        for (const Source &f : files) {
            const QString device = "/" + f.name;
            if (r.reported(device, "error"))
                reportedFailed << device;
            else
                QVERIFY2(r.reported(device, "written") && sim.stored(f.name) == f.content, qPrintable(device));
        }
        if (r.reported("img.imz", "error"))
            reportedFailed << "img.imz";
        else
            QVERIFY2(r.reported("img.imz", "written") && sim.stored("disk2.img").left(image.size()) == image,
                     "img.imz");
        if (failed != QStringList{"*"})
            QCOMPARE(reportedFailed, failed);
        const int sdFailed = int(reportedFailed.size() - reportedFailed.count("img.imz"));
        QVERIFY(r.w.messages.contains(sdFailed ? QStringLiteral("%1 of 3 files not loaded to SD").arg(sdFailed)
                                               : QStringLiteral("Files is loaded to SD...")));
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));
    }

    // Read Config, Read gearbox, Read Config again. A reply that never comes leaves the driver
    // waiting until the next action takes over; a reply longer than asked, or bytes while idle,
    // do not disturb the next request. Record replies have no framing, so noise before one is
    // taken as its first bytes: the requests still complete, but what they show is shifted.
    void requests_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<bool>("firstAnswered");
        QTest::addColumn<bool>("decoded");
        QTest::newRow("missing reply") << QStringList{"--drop-reply", "3"} << false << true;
        QTest::newRow("reply longer than expected") << QStringList{"--extra", "9"} << true << true;
        QTest::newRow("noise before each reply") << QStringList{"--noise", "4"} << true << false;
        QTest::newRow("replies byte by byte with gaps") << QStringList{"--byte-gap", "3"} << true << true;
        QTest::newRow("1 MB of random bytes while idle")
            << QStringList{"--flood", "1048576", "--flood-after", "2"} << true << true;
    }

    void requests()
    {
        QFETCH(QStringList, faults);
        QFETCH(bool, firstAnswered);
        QFETCH(bool, decoded);
        Sim sim(faults);
        QVERIFY(!sim.port.isEmpty());
        Rig r(sim.port);
        auto *number = r.find<SpinEdit>("SpinEdit4");
        auto *gear = r.find<SpinEdit>("SpinEdit38");
        number->setValue(number->minimum());
        gear->setValue(1);
        const int shownBefore = number->value();
        int numberAfterFirst = -1;
        QString stateAfterFirst;
        const bool flood = faults.contains("--flood");
        r.connect({{[&] { return r.idle() && (!flood || r.panel(5).toLongLong() >= 1048576 + 6); },
                    [&] { r.press("Button6"); }},
                   {firstAnswered ? std::function<bool()>([&] { return r.idle(); }) : Rig::after(300),
                    [&] {
                        numberAfterFirst = number->value();
                        stateAfterFirst = r.panel(4);
                        r.press("Button28");
                    }},
                   {[&] { return r.idle(); }, [&] { r.press("Button6"); }},
                   {[&] { return r.idle(); }, {}}});
        QVERIFY(!r.timedOut);
        QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors.join('\n')));
        QCOMPARE(stateAfterFirst, QString::fromLatin1(firstAnswered ? "1000" : "65"));
        if (decoded) {
            // The unit's defaults: number 712, first gear 90, which the page shows as the number
            // for the whole road speed it derives from it.
            QCOMPARE(numberAfterFirst, firstAnswered ? 712 : shownBefore);
            QCOMPARE(gear->value(), qRound(2000.0 / qRound(2000.0 / 90)));
            QCOMPARE(number->value(), 712);
        }
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));
    }

    // The unit vanishes halfway through an image: one error report, no "written", the window
    // answers; it comes back on another port, and "Connect" opens a session that uploads the
    // image whole.
    void unitVanishesMidTransferAndComesBack()
    {
        auto first = std::make_unique<Sim>(QStringList{});
        QVERIFY(!first->port.isEmpty());
        Sim second({});
        QVERIFY(!second.port.isEmpty());
        QTemporaryDir src;
        const QByteArray image = randomBytes(3 * 1024 * 1024, 9);
        QVERIFY(writeFile(src.filePath("img.imz"), image));
        Rig r(first->port);
        qint64 sentWhenKilled = 0;
        bool writtenBeforeReconnect = true;
        r.connect({{[&] { return r.idle(); }, [&] { r.sendImage(src.filePath("img.imz")); }},
                   {[&] { return r.panel(2).toLongLong() >= 256 * 1024; },
                    [&] {
                        // SIGKILL, not waited for here: the wait would count as the window's lateness.
                        first->proc.kill();
                        sentWhenKilled = r.panel(2).toLongLong();
                    }},
                   {[&] { return !r.errors.isEmpty() && !r.link.Active(); }, {}},
                   {Rig::after(200),
                    [&] {
                        writtenBeforeReconnect = r.reported("img.imz", "written");
                        r.w.messages.clear();
                        r.w.portChosen(second.port);
                        // "Connect" inside the running session: it opens anew and runs the
                        // rest of the script; the one "Exit" then ends both. Pressed from its
                        // own event, as this timer does not fire again until its handler returns.
                        QTimer::singleShot(0, &r.w, [&] { r.press("Button8"); });
                    }},
                   {[&] { return r.idle(); }, [&] { r.sendImage(src.filePath("img.imz")); }},
                   {[&] { return r.imageDone(); }, {}}});
        QVERIFY(!r.timedOut);
        QCOMPARE(r.errors.size(), 1);
        QVERIFY(r.errors.first().contains(first->port));
        QVERIFY(sentWhenKilled < image.size());
        QVERIFY(!writtenBeforeReconnect);
        QVERIFY(r.reported("img.imz", "written"));
        QVERIFY(second.stored("disk2.img").left(image.size()) == image);
        QCOMPARE(r.w.driver().running(), 0);
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));

        // A later "Connect", on its own, opens a session as the first one did.
        auto *number = r.find<SpinEdit>("SpinEdit4");
        number->setValue(number->minimum());
        r.connect({{[&] { return r.idle(); }, [&] { r.press("Button6"); }}, {[&] { return r.idle(); }, {}}});
        QVERIFY(!r.timedOut);
        QCOMPARE(r.errors.size(), 1);
        QCOMPARE(number->value(), 712);
    }

    // Another port chosen while an image goes out. Switched while an acknowledgement is awaited,
    // the driver keeps waiting for it (nothing times out); switched between two blocks, the next
    // block reaches a unit that has no image open, which acknowledges it with a wrong checksum,
    // and the shell reports the error. Either way nothing false is said, and a new "Send"
    // uploads the image whole to the unit on the new port.
    void portSwitchedMidTransfer()
    {
        Sim first({});
        Sim second({});
        QVERIFY(!first.port.isEmpty() && !second.port.isEmpty());
        QTemporaryDir src;
        const QByteArray image = randomBytes(2 * 1024 * 1024, 11);
        QVERIFY(writeFile(src.filePath("img.imz"), image));
        Rig r(first.port);
        QString waitingIn;
        bool errorShown = false;
        r.connect({{[&] { return r.idle(); }, [&] { r.sendImage(src.filePath("img.imz")); }},
                   {[&] { return r.panel(2).toLongLong() >= 128 * 1024; }, [&] { r.w.portChosen(second.port); }},
                   {Rig::after(300),
                    [&] {
                        waitingIn = r.panel(4);
                        errorShown = r.reported("img.imz", "error");
                        r.sendImage(src.filePath("img.imz"));
                    }},
                   {[&] { return r.imageDone(); }, {}}});
        QVERIFY(!r.timedOut);
        QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors.join('\n')));
        QVERIFY2((waitingIn == QLatin1String("244") && !errorShown) || (waitingIn == QLatin1String("1000") && errorShown),
                 qPrintable(waitingIn));
        QCOMPARE(r.w.messages.count("File img.imz written"), 1);
        QVERIFY(second.stored("disk2.img").left(image.size()) == image);
        QVERIFY(first.stored("disk2.img").size() < image.size());
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));
    }

    // A file of the batch deleted after the list was taken: the batch waits in state 40 and goes
    // on once the file is back. A file that cannot be read ends the session with the general
    // error report, and "Connect" then works.
    void fileChangesUnderTheBatch_data()
    {
        QTest::addColumn<bool>("unreadable");
        QTest::newRow("deleted, then back") << false;
        QTest::newRow("unreadable") << true;
    }

    void fileChangesUnderTheBatch()
    {
        QFETCH(bool, unreadable);
        Sim sim({});
        QVERIFY(!sim.port.isEmpty());
        QTemporaryDir src;
        const QByteArray a = randomBytes(5000, 21), b = randomBytes(700, 22), back = randomBytes(300, 23);
        QVERIFY(writeFile(src.filePath("a.bin"), a));
        QVERIFY(writeFile(src.filePath("b.bin"), b));
        const QString bPath = src.filePath("b.bin");
        Rig r(sim.port);
        QString waitingIn;
        std::vector<Rig::Step> steps{{[&] { return r.idle(); },
                                      [&] {
                                          r.loadFolder(src.path());
                                          if (!unreadable) {
                                              QFile::remove(bPath);
                                          } else if (geteuid() != 0) {
                                              QFile::setPermissions(bPath, QFileDevice::Permissions());
                                          } else {
                                              // Permissions do not stop root; a read that fails does.
                                              QFile::remove(bPath);
                                              QFile::link(QStringLiteral("/proc/self/mem"), bPath);
                                          }
                                      }}};
        if (unreadable) {
            // The error ends the session; "Exit" is never needed.
            steps.push_back({[&] { return !r.errors.isEmpty(); }, {}});
        } else {
            steps.push_back({[&] { return r.reported("/a.bin", "written"); }, {}});
            steps.push_back({Rig::after(300), [&] {
                                 waitingIn = r.panel(4);
                                 writeFile(bPath, back);
                             }});
            steps.push_back({[&] { return r.batchDone(); }, {}});
        }
        r.connect(steps);
        QVERIFY(!r.timedOut);
        QVERIFY2(sim.stored("a.bin") == a, qPrintable(r.w.messages.join('\n') + '\n' + r.errors.join('\n')));
        if (unreadable) {
            QCOMPARE(r.errors.size(), 1);
            QVERIFY2(r.errors.first().contains("b.bin"), qPrintable(r.errors.first()));
            QVERIFY(!r.reported("/b.bin", "written"));
            QVERIFY(r.link.Active()); // left open, as the session ended inside a step
            // "Connect" starts over.
            r.connect({{[&] { return r.idle(); }, {}}});
            QVERIFY(!r.timedOut);
            QCOMPARE(r.errors.size(), 1);
        } else {
            QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors.join('\n')));
            QCOMPARE(waitingIn, QStringLiteral("40"));
            QVERIFY(sim.stored("b.bin") == back);
            QVERIFY(r.w.messages.contains("Files is loaded to SD..."));
        }
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));
    }

    // A folder of 1000 files, and an image of 0 bytes.
    void thousandFilesAndEmptyImage()
    {
        Sim sim({});
        QVERIFY(!sim.port.isEmpty());
        QTemporaryDir src;
        QDir(src.path()).mkdir("sd");
        QList<Source> files;
        for (int i = 0; i < 1000; ++i) {
            files.push_back({QStringLiteral("f%1.bin").arg(i, 4, 10, QLatin1Char('0')), randomBytes(i % 7 == 0 ? 0 : (i * 37) % 600, quint32(100 + i))});
            QVERIFY(writeFile(src.filePath("sd/" + files.back().name), files.back().content));
        }
        QVERIFY(writeFile(src.filePath("zero.imz"), {}));
        Rig r(sim.port);
        r.connect({{[&] { return r.idle(); }, [&] { r.loadFolder(src.filePath("sd"), "/many/"); }},
                   {[&] { return r.batchDone(); }, [&] { r.sendImage(src.filePath("zero.imz")); }},
                   {[&] { return r.imageDone(); }, {}}});
        QVERIFY(!r.timedOut);
        QVERIFY2(r.errors.isEmpty(), qPrintable(r.errors.join('\n')));
        QVERIFY(r.w.messages.contains("Files is loaded to SD..."));
        for (const Source &f : files)
            QVERIFY2(r.reported("/many/" + f.name, "written") && sim.stored("many/" + f.name) == f.content,
                     qPrintable(f.name));
        QVERIFY(r.reported("zero.imz", "written"));
        QCOMPARE(sim.stored("disk2.img").size(), 1024);
        qInfo("lateness %s", qPrintable(lateness(r.maxLateNs)));
        QVERIFY2(r.maxLateNs <= FreezeLimitMs * 1'000'000, qPrintable(lateness(r.maxLateNs)));
    }
};

QTEST_MAIN(TestFaultMatrix)
#include "test_fault_matrix.moc"
