// The session driver on a fake link, a fake clock and a fake window: no sleeps, no timing.
#include "fakes.h"
#include "session/arith.h"
#include "session/fake_link.h"
#include "test_bytes.h"

#include <QtTest>

using namespace mfd;
using namespace mfd::test;

namespace {

struct Rig {
    FakeLink link;
    FakeClock clock;
    FakeView view;
    Slots slots_;
    SessionDriver driver{link, clock, view, slots_};
    Session s;
    Rig()
    {
        view.driver = &driver;
        link.SetActive(true);
        link.clearRecord();
        link.opens = 0;
    }
    // Runs the session opening up to the disk-size reply.
    void openSession()
    {
        slots_.SessionState = state::SessionOpening;
        driver.pass(s);
        driver.pass(s);
    }
};

const QColor NoColor;

} // namespace

class TestSessionDriver : public QObject {
    Q_OBJECT
private slots:
    void sessionOpeningByteForByte()
    {
        Rig r;
        r.slots_.SessionState = state::SessionOpening;
        r.driver.pass(r.s);
        QCOMPARE(r.link.sentBytes(), bytes({0xA1, 0x04, 0x4B, 0x6F, 0x72, 0x76}));
        QCOMPARE(r.link.ops.first(), QStringLiteral("clearBuffers"));
        QCOMPARE(r.link.ops.size(), 7); // one SendChar per byte
        QCOMPARE(r.slots_.SessionState, state::DiskQuery);
        QVERIFY(r.view.pageControlShown);
        QCOMPARE(r.view.pageEnabled[8], false); // "Firmware load" carries Tag 1
        QCOMPARE(r.view.pageEnabled[7], true);
        QCOMPARE(r.view.panel[4], QStringLiteral("999"));

        // The unit's answer to the handshake is purged, and the query waits 500 ms first.
        r.link.Deliver({0x55, 0x66});
        r.link.clearRecord();
        const std::uint32_t mark = r.s.PauseMark;
        r.driver.pass(r.s);
        QCOMPARE(r.clock.pauses.back(), 500u);
        QVERIFY(since(r.clock.now, mark) >= 500);
        QCOMPARE(r.link.ops, QStringList({"clearInput", "char A6", "char 01", "char 20"}));
        QCOMPARE(r.s.RxMark, 2u);
        QCOMPARE(r.slots_.SessionState, state::DiskReply);
        QCOMPARE(r.view.panel[4], QStringLiteral("0"));
        QCOMPARE(r.view.panel[5], QStringLiteral("2"));

        // Five bytes leave it waiting; the sixth completes the reply in that same pass.
        r.link.Deliver({0x20, 8, 16, 4, 0});
        r.driver.pass(r.s);
        QCOMPARE(r.slots_.SessionState, state::DiskReply);
        QCOMPARE(r.link.Available(), 5u);
        r.link.Deliver({2});
        r.driver.pass(r.s);
        QCOMPARE(r.slots_.SessionState, state::Idle);
        QCOMPARE(r.view.editText.value("Edit6"), QStringLiteral("8"));
        QCOMPARE(r.view.editText.value("Edit10"), QStringLiteral("32"));
    }

    void diskSizesAndColours_data()
    {
        QTest::addColumn<QByteArray>("first");  // size bytes of a first session, or empty
        QTest::addColumn<QByteArray>("second"); // size bytes of the session checked
        QTest::addColumn<QStringList>("sizes"); // Edit6..Edit10
        QTest::addColumn<QString>("sizeColours"); // G/R per size field
        QTest::addColumn<QString>("fileColours"); // R, or - for untouched, per file field
        QTest::addColumn<QString>("pickers");     // 1/0 per picker, then the SD page

        QTest::newRow("all absent") << QByteArray() << bytes({0, 0, 0, 0, 0})
                                    << QStringList{"0", "0", "0", "0", "0"} << "RRRRR" << "RRRR" << "00000";
        QTest::newRow("largest") << QByteArray() << bytes({255, 255, 255, 255, 255})
                                 << QStringList{"255", "255", "255", "255", "4080"} << "GGGGG" << "----"
                                 << "11111";
        QTest::newRow("disk 3 absent, disk 2 present")
            << QByteArray() << bytes({8, 16, 4, 0, 1}) << QStringList{"8", "16", "4", "0", "16"} << "GGGRG"
            << "---R" << "11101";
        // A disk absent once keeps its red file field for the rest of the run.
        QTest::newRow("absent then present")
            << bytes({8, 0, 4, 2, 0}) << bytes({8, 16, 4, 2, 3}) << QStringList{"8", "16", "4", "2", "48"}
            << "GGGGG" << "-R--" << "11111";
    }
    void diskSizesAndColours()
    {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QStringList, sizes);
        QFETCH(QString, sizeColours);
        QFETCH(QString, fileColours);
        QFETCH(QString, pickers);

        Rig r;
        for (const QByteArray &reply : {first, second}) {
            if (reply.isEmpty())
                continue;
            r.link.SetActive(true); // a new session: the total starts again from 0
            r.openSession();
            r.link.Deliver(QByteArray(1, char(0x20)) + reply);
            r.driver.pass(r.s);
            QCOMPARE(r.slots_.SessionState, state::Idle);
        }
        const char *sizeFields[] = {"Edit6", "Edit7", "Edit8", "Edit9", "Edit10"};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(r.view.editText.value(sizeFields[i]), sizes[i]);
            QCOMPARE(r.view.editColor.value(sizeFields[i]), sizeColours[i] == 'G' ? colors::Green : colors::Red);
        }
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(r.view.editColor.value(Disks[i].fileField), fileColours[i] == 'R' ? colors::Red : NoColor);
            QCOMPARE(r.view.enabled.value(Disks[i].picker), pickers[i] == '1');
        }
        QCOMPARE(r.view.enabled.value("cxTabSheet4"), pickers[4] == '1');
    }

    void pageActionAbandonsDiskReply()
    {
        Rig r;
        r.openSession();
        r.link.Deliver({0x20, 1, 2});
        r.slots_.request(state::Command, code::Reboot);
        r.link.clearRecord();
        r.driver.pass(r.s);
        // No step 50 is registered here: the request only replaces the wait.
        QCOMPARE(r.slots_.SessionState, state::Command);
        r.link.Deliver({3, 4, 5});
        r.driver.pass(r.s);
        QVERIFY(r.view.editText.isEmpty());
    }

    void connectLoopRetries()
    {
        Rig r;
        r.link.SetActive(false);
        r.link.failOpens = 3;
        r.link.clearRecord();
        r.link.openError = QStringLiteral("/dev/ttyUSB0: permission denied");
        QStringList seenPanel0;
        r.view.onEvents = [&](FakeView &v) {
            if (!r.link.Active())
                seenPanel0 << v.panel[0];
            if (r.slots_.SessionState == state::Idle || r.slots_.SessionState == state::DiskReply)
                r.driver.requestExit();
        };
        const std::uint32_t start = r.clock.now;
        r.driver.connect();
        QCOMPARE(seenPanel0, QStringList({"try connect 1", "try connect 2", "try connect 3"}));
        QCOMPARE(r.view.panel[0], QStringLiteral("try connect 3")); // nothing clears it
        QCOMPARE(std::vector<std::uint32_t>(r.clock.pauses.begin(), r.clock.pauses.begin() + 3),
                 (std::vector<std::uint32_t>{50, 50, 50}));
        QVERIFY(since(r.clock.now, start) >= 150);
        QCOMPARE(r.link.opens, 1);
        QCOMPARE(r.view.panelTip[0], QString()); // the reason goes once the port opens
        QVERIFY(r.view.pictureVisible);
        QVERIFY(!r.link.Active());
        QCOMPARE(r.link.ops.mid(0, 4), QStringList({"baud 921600", "open", "baud 921600", "open"}));
    }

    void openFailureReasonShown()
    {
        Rig r;
        r.link.SetActive(false);
        r.link.failOpens = -1;
        r.link.openError = QStringLiteral("/dev/ttyUSB0: busy, already open");
        r.view.onEvents = [&](FakeView &v) {
            if (v.panel[0] == QStringLiteral("try connect 2"))
                r.driver.requestExit();
        };
        r.driver.connect();
        QCOMPARE(r.view.panelTip[0], QStringLiteral("/dev/ttyUSB0: busy, already open"));
    }

    void baudByLinkType_data()
    {
        QTest::addColumn<int>("linkType");
        QTest::addColumn<QString>("baud");
        QTest::newRow("UART") << 0 << "baud 921600";
        QTest::newRow("Bluetooth") << 1 << "baud 921600";
        QTest::newRow("WiFi") << 2 << "baud 230400";
    }
    void baudByLinkType()
    {
        QFETCH(int, linkType);
        QFETCH(QString, baud);
        Rig r;
        r.view.link = linkType;
        QVERIFY(r.driver.tryOpen(r.s));
        QCOMPARE(r.link.ops, QStringList({"close", baud, "open", "clearBuffers"}));
    }

    void exitWhileConnecting()
    {
        Rig r;
        r.link.SetActive(false);
        r.link.failOpens = -1;
        r.view.panel[4] = QStringLiteral("old");
        r.slots_.SessionState = 1000;
        r.view.onEvents = [&](FakeView &) { r.driver.requestExit(); };
        r.driver.connect();
        QCOMPARE(r.view.panel[0], QStringLiteral("try connect 1"));
        QVERIFY(r.view.pictureVisible);
        QCOMPARE(r.slots_.SessionState, state::SessionOpening);
        QCOMPARE(r.view.panel[4], QStringLiteral("old")); // no pass ran
        QVERIFY(!r.view.pageControlShown);
        QVERIFY(!r.link.Active());
        QCOMPARE(r.driver.running(), 0);
    }

    void nestedConnect()
    {
        Rig r;
        r.link.SetActive(false);
        int outerIdle = 0;
        r.view.onEvents = [&](FakeView &) {
            if (r.slots_.SessionState == state::DiskReply && r.link.Available() == 0)
                r.link.Deliver({0x20, 1, 1, 1, 1, 1});
            if (r.slots_.SessionState != state::Idle)
                return;
            if (r.driver.running() == 1 && ++outerIdle == 1) {
                r.view.link = 2; // the nested run opens at the link type chosen now
                r.driver.connect();
            } else if (r.driver.running() == 2) {
                r.driver.requestExit();
            }
        };
        r.driver.connect();
        QCOMPARE(r.link.opens, 2);
        QCOMPARE(r.link.ops.filter("baud"), QStringList({"baud 921600", "baud 230400"}));
        QVERIFY(!r.link.Active());
        QCOMPARE(r.driver.running(), 0);
        QCOMPARE(outerIdle, 1); // one "Exit" ended both runs
        QCOMPARE(r.link.sent.size(), size_t(18)); // two openings: handshake and query each
    }

    void idleLoopWaitsForEvents()
    {
        Rig r;
        r.link.SetActive(false);
        int passesAtIdle = 0;
        r.view.onEvents = [&](FakeView &v) {
            if (r.slots_.SessionState == state::DiskReply && r.link.Available() == 0)
                r.link.Deliver({0x20, 1, 1, 1, 1, 1});
            if (r.slots_.SessionState == state::Idle && ++passesAtIdle == 5)
                r.driver.requestExit();
            Q_UNUSED(v);
        };
        r.driver.connect();
        // Every pass in idle was followed by a wait for an event, never by another pass at once.
        QVERIFY(r.view.waits >= 2);
        QVERIFY(r.view.eventCalls < 20);
    }

    void stepFailureEndsSessionWithPortOpen()
    {
        Rig r;
        r.link.SetActive(false);
        r.driver.registerStep(77, [](Session &) { throw std::runtime_error("File C:\\x.imz cannot be read"); });
        r.view.onEvents = [&](FakeView &) {
            if (r.slots_.SessionState == state::DiskReply)
                r.slots_.SessionState = 77;
        };
        r.driver.connect();
        QCOMPARE(r.view.errors, QStringList({"File C:\\x.imz cannot be read"}));
        QVERIFY(r.link.Active());
        QCOMPARE(r.slots_.SessionState, 77);
        QCOMPARE(r.driver.running(), 0);
    }

    void linkFaultReportedOnceAndPollingGoesOn()
    {
        Rig r;
        r.openSession();
        r.link.InjectFault(QStringLiteral("/dev/pts/7: device vanished"));
        r.driver.pass(r.s);
        r.driver.pass(r.s);
        QCOMPARE(r.view.errors, QStringList({"/dev/pts/7: device vanished"}));
        QCOMPARE(r.slots_.SessionState, state::DiskReply);
        QVERIFY(!r.link.Active());
    }

    void wrappingArithmetic_data()
    {
        QTest::addColumn<quint32>("now");
        QTest::addColumn<quint32>("mark");
        QTest::addColumn<quint32>("elapsed");
        QTest::newRow("plain") << 1500u << 1000u << 500u;
        QTest::newRow("across the wrap") << 0x000001F3u << 0xFFFFFFFFu << 500u;
        QTest::newRow("mark after now") << 0u << 1u << 0xFFFFFFFFu;
    }
    void wrappingArithmetic()
    {
        QFETCH(quint32, now);
        QFETCH(quint32, mark);
        QFETCH(quint32, elapsed);
        QCOMPARE(since(now, mark), elapsed);
    }

    void replyCountedAcrossTotalWrap()
    {
        Rig r;
        r.openSession();
        r.link.SetTotalReceived(0xFFFFFFFEu);
        r.s.RxMark = 0xFFFFFFFCu; // 2 bytes before the wrap were counted already
        r.link.Deliver({0x20, 1, 2, 3}); // total wraps to 2
        r.driver.pass(r.s);
        QCOMPARE(r.slots_.SessionState, state::DiskReply); // 6 counted, but 4 wait unread
        r.link.Deliver({4, 5});
        r.driver.pass(r.s);
        QCOMPARE(r.slots_.SessionState, state::Idle);
    }

    void markFromAnotherPortIsNotAReply()
    {
        Rig r;
        r.openSession();
        r.s.RxMark = 40; // taken on the old port; the new one counts from 0
        r.link.SetActive(false);
        r.link.SetActive(true);
        r.driver.pass(r.s); // the wrapped difference is huge, but nothing is there to read
        QCOMPARE(r.slots_.SessionState, state::DiskReply);
        QVERIFY(r.view.errors.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSessionDriver)
#include "test_session_driver.moc"
