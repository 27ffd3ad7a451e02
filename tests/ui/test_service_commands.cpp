// The one-shot service commands, pressed through the real window (offscreen) on a fake link:
// what each control leaves for the driver, and the frame the next pass sends.

#include "service/service_pages.h"
#include "test_bytes.h"
#include "user_actions.h"
#include "widgets/spin_edit.h"
#include "window_rig.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

class TestServiceCommands : public QObject {
    Q_OBJECT

private slots:
    void controlSendsItsFrame_data();
    void controlSendsItsFrame();
    void lastActionBeforeAPassWins_data();
    void lastActionBeforeAPassWins();
    void brightnessSpinsInTens();
    void keysStandBesideTheStalkTip();
    void gammaPagesTakeTheRightHalf();
};

void TestServiceCommands::controlSendsItsFrame_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");  // its accessible name
    QTest::addColumn<QString>("edit");     // spin edit typed into before the click, or empty
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");    // what the edit shows after the click
    QTest::addColumn<int>("presses");      // earlier presses each get a pass of their own
    QTest::addColumn<QByteArray>("frame"); // empty: no request at all

    auto plain = [](const char *row, const char *control, const char *caption, int code) {
        QTest::newRow(row) << control << caption << QString() << QString() << QString() << 1
                           << bytes({0xA6, 0x01, code});
    };
    plain("+", "Button9", "+", 0x01);
    plain("-", "Button10", "-", 0x02);
    plain("Reset", "Button11", "Reset", 0x03);
    plain("Long reset", "Button12", "Long reset", 0x04);
    plain("LONG+", "Button24", "LONG+", 0x05);
    plain("LONG-", "Button23", "LONG-", 0x06);
    plain("Screen size setup", "Button13", "Screen size setup", 0x0A);
    plain("Top line Down", "Button14", "Down", 0x0B);
    plain("Top line Up", "Button15", "Up", 0x0C);
    plain("Bottom line Down", "Button16", "Down", 0x0D);
    plain("Bottom line Up", "Button17", "Up", 0x0E);
    plain("Save size", "Button18", "Save size", 0x0F);
    plain("Sleep In", "Button19", "Sleep In", 0x65);
    plain("Sleep Out", "Button20", "Sleep Out", 0x64);
    plain("TurboTimer switch ON", "Button29", "TurboTimer switch ON", 0x07);
    plain("TurboTimer switch OFF", "Button30", "TurboTimer switch OFF", 0x08);
    plain("Reboot, Config page", "BitBtn19", "Reboot", 0x19);
    plain("Reboot, image page", "BitBtn18", "Reboot", 0x19);
    plain("Update RG, SD page", "BitBtn9", "Update RG", 0x19);

    auto arg = [](const char *row, const char *control, const char *caption, const char *edit, const char *typed,
                  const char *shown, QByteArray frame) {
        QTest::newRow(row) << control << caption << edit << typed << shown << 1 << frame;
    };
    arg("Brightness at start", "Button1", "Brightness", "SpinEdit2", "", "0", bytes({0xA6, 0x02, 0x32, 0x00}));
    arg("Brightness 70", "Button1", "Brightness", "SpinEdit2", "70", "70", bytes({0xA6, 0x02, 0x32, 0x46}));
    arg("Brightness 0", "Button1", "Brightness", "SpinEdit2", "0", "0", bytes({0xA6, 0x02, 0x32, 0x00}));
    arg("Brightness 150 typed", "Button1", "Brightness", "SpinEdit2", "150", "100", bytes({0xA6, 0x02, 0x32, 0x64}));
    arg("Brightness -5 typed", "Button1", "Brightness", "SpinEdit2", "-5", "0", bytes({0xA6, 0x02, 0x32, 0x00}));
    arg("Brightness not a number", "Button1", "Brightness", "SpinEdit2", "7a", "0", bytes({0xA6, 0x02, 0x32, 0x00}));
    arg("Brightness 300 typed", "Button1", "Brightness", "SpinEdit2", "300", "100", bytes({0xA6, 0x02, 0x32, 0x64}));
    arg("Doors 32", "Button21", "Doors", "SpinEdit1", "32", "32", bytes({0xA6, 0x02, 0x14, 0x20}));
    arg("Doors 5", "Button21", "Doors", "SpinEdit1", "5", "5", bytes({0xA6, 0x02, 0x14, 0x05}));
    arg("Doors 33 typed", "Button21", "Doors", "SpinEdit1", "33", "32", bytes({0xA6, 0x02, 0x14, 0x20}));
    arg("Doors 256 typed", "Button21", "Doors", "SpinEdit1", "256", "32", bytes({0xA6, 0x02, 0x14, 0x20}));

    QTest::newRow("kl 15 ticked") << "CheckBox1" << "kl 15" << QString() << QString() << QString() << 1
                                  << bytes({0xA6, 0x01, 0x34});
    QTest::newRow("kl 15 cleared") << "CheckBox1" << "kl 15" << QString() << QString() << QString() << 2
                                   << bytes({0xA6, 0x01, 0x33});
    QTest::newRow("kl 15 ticked again") << "CheckBox1" << "kl 15" << QString() << QString() << QString() << 3
                                        << bytes({0xA6, 0x01, 0x34});
    QTest::newRow("s86 ticked") << "CheckBox2" << "s86" << QString() << QString() << QString() << 1 << QByteArray();
    QTest::newRow("s86 cleared") << "CheckBox2" << "s86" << QString() << QString() << QString() << 2 << QByteArray();
}

void TestServiceCommands::controlSendsItsFrame()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QString, edit);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, presses);
    QFETCH(QByteArray, frame);

    WindowRig r;
    QVERIFY(r.ready());
    auto *w = r.control<QAbstractButton>(control);
    if (!w && control.startsWith(QLatin1String("BitBtn")) && control != QLatin1String("BitBtn18"))
        QSKIP("this reboot button belongs to a page not built yet");
    QVERIFY2(w, qPrintable(control));
    QCOMPARE(w->accessibleName(), caption);
    QCOMPARE(w->text(), caption);

    Slots &rq = r.window.requests();
    // 140 has no step: whatever the control leaves, the state before it is not 50 or 51 already.
    rq.SessionState = state::FirmwareSend;
    for (int i = 1; i < presses; ++i) {
        click(w);
        r.window.driver().pass(r.s);
        rq.SessionState = state::FirmwareSend;
    }
    r.link.clearRecord();

    if (!edit.isEmpty() && !typed.isEmpty())
        typeInto(r.control<SpinEdit>(edit), typed);
    click(w);
    if (!edit.isEmpty())
        QCOMPARE(r.control<SpinEdit>(edit)->findChild<QLineEdit *>()->text(), shown);
    if (w->isCheckable())
        QCOMPARE(w->isChecked(), presses % 2 == 1);

    // The handler only leaves the request; nothing reaches the link before the next pass.
    QVERIFY(r.link.sent.empty());
    const int expectedState = frame.isEmpty() ? state::FirmwareSend
                              : frame.size() == 4 ? state::CommandArg
                                                  : state::Command;
    QCOMPARE(rq.SessionState, expectedState);

    // Stray bytes from the unit wait in the queue; a sending step purges them and marks after.
    r.link.Deliver({0x55, 0x66, 0x77});
    r.window.driver().pass(r.s);
    QCOMPARE(r.link.sentBytes(), frame);
    if (frame.isEmpty()) {
        QVERIFY(r.link.ops.isEmpty());
        QCOMPARE(rq.SessionState, state::FirmwareSend);
    } else {
        QCOMPARE(r.link.ops.value(0), QStringLiteral("clearInput"));
        QCOMPARE(r.link.ops.size(), 1 + frame.size()); // one SendChar per byte
        QCOMPARE(r.link.Available(), 0u);
        QCOMPARE(r.s.RxMark, 3u);
        QCOMPARE(rq.SessionState, state::Idle);
        // Nothing is awaited: the next pass shows idle and sends nothing.
        r.link.clearRecord();
        r.link.Deliver({0x01, 0x02});
        r.window.driver().pass(r.s);
        QCOMPARE(r.window.statusPanel(4)->text(), QStringLiteral("1000"));
        QVERIFY(r.link.ops.isEmpty());
        QCOMPARE(r.link.Available(), 2u);
    }
    QVERIFY(r.errors.isEmpty());
}

void TestServiceCommands::lastActionBeforeAPassWins_data()
{
    QTest::addColumn<QStringList>("clicks"); // "Button21=5" types 5 into the button's edit first
    QTest::addColumn<QByteArray>("frame");

    QTest::newRow("+ twice") << QStringList{"Button9", "Button9"} << bytes({0xA6, 0x01, 0x01});
    QTest::newRow("Doors then +") << QStringList{"Button21=5", "Button9"} << bytes({0xA6, 0x01, 0x01});
    QTest::newRow("+ then Doors") << QStringList{"Button9", "Button21=5"} << bytes({0xA6, 0x02, 0x14, 0x05});
    QTest::newRow("Brightness then Doors")
        << QStringList{"Button1=70", "Button21=5"} << bytes({0xA6, 0x02, 0x14, 0x05});
    QTest::newRow("kl 15 ticked and cleared") << QStringList{"CheckBox1", "CheckBox1"} << bytes({0xA6, 0x01, 0x33});
    QTest::newRow("Sleep In then s86") << QStringList{"Button19", "CheckBox2"} << bytes({0xA6, 0x01, 0x65});
}

void TestServiceCommands::lastActionBeforeAPassWins()
{
    QFETCH(QStringList, clicks);
    QFETCH(QByteArray, frame);

    WindowRig r;
    QVERIFY(r.ready());
    r.window.requests().SessionState = state::Idle;
    for (const QString &c : clicks) {
        const QStringList parts = c.split(QLatin1Char('='));
        if (parts.size() == 2)
            typeInto(r.control<SpinEdit>(parts[0] == QLatin1String("Button1") ? "SpinEdit2" : "SpinEdit1"), parts[1]);
        click(r.control(parts[0]));
    }
    r.window.driver().pass(r.s);
    QCOMPARE(r.link.sentBytes(), frame);
    QCOMPARE(r.window.requests().SessionState, state::Idle);
    r.link.clearRecord();
    r.window.driver().pass(r.s);
    QVERIFY(r.link.sent.empty());
}

void TestServiceCommands::brightnessSpinsInTens()
{
    WindowRig r;
    QVERIFY(r.ready());
    auto *brightness = r.control<SpinEdit>("SpinEdit2");
    auto *doors = r.control<SpinEdit>("SpinEdit1");
    QCOMPARE(brightness->accessibleName(), QStringLiteral("Brightness"));
    QCOMPARE(doors->accessibleName(), QStringLiteral("Doors"));
    bringToFront(brightness);
    brightness->setFocus();
    QTest::keyClick(brightness, Qt::Key_Up);
    QCOMPARE(brightness->value(), 10);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(brightness, Qt::Key_Up);
    QCOMPARE(brightness->value(), 100);
    QTest::keyClick(brightness, Qt::Key_Down);
    QCOMPARE(brightness->value(), 90);
    doors->setFocus();
    QTest::keyClick(doors, Qt::Key_Up);
    QCOMPARE(doors->value(), 1);
    QCOMPARE(doors->maximum(), 32);
}

void TestServiceCommands::keysStandBesideTheStalkTip()
{
    WindowRig r;
    QVERIFY(r.ready());
    QWidget *page = r.control("cxTabSheet2");
    QVERIFY(page);
    bringToFront(page);
    const char *grid[3][2] = {{"Button9", "Button24"}, {"Button10", "Button23"}, {"Button11", "Button12"}};
    const QLabel *picture = nullptr;
    for (QLabel *l : page->findChildren<QLabel *>())
        if (!l->pixmap().isNull())
            picture = l;
    QVERIFY(picture);
    for (int row = 0; row < 3; ++row) {
        QWidget *shortPress = r.control(grid[row][0]);
        QWidget *longPress = r.control(grid[row][1]);
        QVERIFY(shortPress && longPress);
        QCOMPARE(shortPress->geometry().center().y(), longPress->geometry().center().y());
        QVERIFY(shortPress->geometry().right() < longPress->geometry().left());
        QVERIFY(shortPress->geometry().left() > picture->geometry().right());
        if (row > 0)
            QVERIFY(shortPress->geometry().top() > r.control(grid[row - 1][0])->geometry().bottom());
    }
    // The bottom row stands level with the pictured "Reset" key.
    const int resetKeyY = picture->geometry().top() + KeysPage::resetKeyCentre().y();
    QVERIFY(r.control("Button11")->geometry().top() <= resetKeyY);
    QVERIFY(r.control("Button11")->geometry().bottom() >= resetKeyY);
}

void TestServiceCommands::gammaPagesTakeTheRightHalf()
{
    WindowRig r;
    QVERIFY(r.ready());
    QWidget *page = r.control("cxTabSheet1");
    bringToFront(page);
    QWidget *debug = r.control("Button1")->parentWidget();
    QWidget *screenSize = r.control("Button13")->parentWidget();
    QVERIFY(debug->geometry().top() > screenSize->geometry().bottom());
    // The gamma pages are the page's other direct child besides the two groups' column.
    QWidget *gamma = nullptr;
    for (QWidget *child : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (child != debug && child != screenSize)
            gamma = child;
    QVERIFY(gamma);
    QVERIFY(gamma->geometry().left() > debug->geometry().right());
    QVERIFY(gamma->geometry().left() >= page->width() / 2 - 20);
}

QTEST_MAIN(TestServiceCommands)
#include "test_service_commands.moc"
