// The coding pages through their controls in the real window, offscreen: clicks, typed and
// pasted text, picks from drop-downs, focus changes. The driver runs on a fake link, one pass at
// a time, and every frame and reply is checked byte for byte.
#include "test_bytes.h"
#include "user_actions.h"
#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"
#include "window_rig.h"

#include <QListWidget>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

namespace {

QByteArray frame(int code, const QByteArray &payload = {})
{
    return bytes({0xA6, 1 + int(payload.size()), code}) + payload;
}

// Two leading bytes the shell must drop unseen; values no record byte would be mistaken for.
const QByteArray Leading = bytes({0xEE, 0xDD});

QByteArray with(QByteArray b, std::initializer_list<std::pair<int, int>> changes)
{
    for (auto [at, v] : changes)
        b[at] = char(v);
    return b;
}

// The configuration record of a read whose every shown value differs from the start state.
const QByteArray SampleConfig = bytes({0x2C, 0x03, 0x00, 0x00, 0x4B, 0x7B, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11, 0x22,
                                       0x33, 0x44, 0x55, 0x66, 0x0F, 0x5A, 0x04, 0x01, 0x13, 0x6E, 0x78, 0x1F});
const QByteArray SampleExtra = bytes({0x81, 0x6E, 0x42, 0x0C, 0x14, 0x33, 0x44, 0x82});

// The shown window at rest, worked by name.
struct Rig : WindowRig, User {
    Rig() : User(window) { rq().SessionState = state::Idle; }

    // Runs one line of a test's action list: "type NAME TEXT", "paste NAME TEXT", "pick NAME i",
    // "toggle NAME i", "radio TEXT", "click NAME".
    void act(const QString &line)
    {
        const QString verb = line.section(' ', 0, 0);
        const QString name = line.section(' ', 1, 1);
        const QString rest = line.section(' ', 2);
        if (verb == "type")
            type(name, rest);
        else if (verb == "paste")
            paste(name, rest);
        else if (verb == "pick")
            pick(name, rest.toInt());
        else if (verb == "toggle")
            toggle(name, rest.toInt());
        else if (verb == "radio")
            chooseRadio("RadioGroup2", line.section(' ', 1));
        else if (verb == "click")
            click(name);
        else
            QFAIL(qPrintable("unknown action " + line));
    }
    // A read from its button to the decoded reply: the request's frame goes out, then the reply.
    void read(const QString &button, const QByteArray &record)
    {
        click(button);
        pass();
        link.clearRecord();
        link.Deliver(Leading + record);
        pass();
    }
    QByteArray sentAfterPass()
    {
        link.clearRecord();
        pass();
        return link.sentBytes();
    }
    QString text(const QString &name)
    {
        QWidget *c = find(name);
        if (auto *spin = qobject_cast<SpinEdit *>(c))
            return spin->text();
        return qobject_cast<EditableList *>(c)->text();
    }
    int mask(const QString &name)
    {
        auto *list = find<QListWidget>(name);
        int m = 0;
        for (int i = 0; i < list->count(); ++i)
            if (list->item(i)->checkState() == Qt::Checked)
                m |= 1 << i;
        return m;
    }
};

// "Name=expected": "#i" entry i selected and shown, "-" nothing selected and an empty text,
// anything else the shown text (for a list: with nothing selected).
void checkShown(Rig &r, const QStringList &expected)
{
    for (const QString &e : expected) {
        const QString name = e.section('=', 0, 0);
        const QString want = e.section('=', 1);
        QWidget *c = r.find(name);
        if (auto *list = qobject_cast<EditableList *>(c)) {
            if (want.startsWith('#')) {
                const int i = want.mid(1).toInt();
                QVERIFY2(list->selectedIndex() == i, qPrintable(e + " selected " + QString::number(list->selectedIndex())));
                QCOMPARE(list->text(), list->itemText(i));
            } else {
                QVERIFY2(list->selectedIndex() == -1, qPrintable(e));
                QCOMPARE(list->text(), want == "-" ? QString() : want);
            }
        } else {
            QVERIFY2(r.text(name) == want, qPrintable(e + " shows " + r.text(name)));
        }
    }
}

} // namespace

class TestCodingPages : public QObject {
    Q_OBJECT
private slots:
    void configStartState();
    void configSave_data();
    void configSave();
    void configRead_data();
    void configRead();
    void configCommands_data();
    void configCommands();

    void extraSave_data();
    void extraSave();
    void extraRead_data();
    void extraRead();

    void gearExchange_data();
    void gearExchange();
    void gearStartValuesAndReadBack();

    void gammaTabs();
    void gammaFrames_data();
    void gammaFrames();
    void gammaPresetSendsNothing();
    void gammaReadWhenSent();
};

// ---------------------------------------------------------------- Config

void TestCodingPages::configStartState()
{
    Rig r;
    checkShown(r, {"ComboBox3=7", "SpinEdit4=700", "ComboBox5=CAN 100kbit filter (1C0)",
                   "ComboBox4=10 - Display 3.2\" ILI9481", "ComboBox8=01 GOLF 4(immo3)",
                   "ComboBox7=RU (km, litr, C, bar, l/100km)", "ComboBox6= (23-25 pins of modul) GND on dash board",
                   "ComboBox9=boost sensor 3 bar", "SpinEdit5=100", "SpinEdit6=100", "ComboBox1=#0"});
    QCOMPARE(r.find<EditableList>("ComboBox8")->count(), 22);
    QCOMPARE(r.find<EditableList>("ComboBox8")->itemText(21), QString());
}

void TestCodingPages::configSave_data()
{
    QTest::addColumn<QByteArray>("reply");      // a configuration record read first, if any
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QByteArray>("sent");       // the whole frame, or empty when the save stops
    QTest::addColumn<QString>("error");

    // Number 700 (and 300 = 700 - 400), version 7, display 10 and CAN 0, the constants, byte 19
    // as received (0 before any read), boost 1, language 1, battery 100 and 100, model code.
    const auto startFrame = [](int model) {
        return frame(0x16, bytes({0xBC, 0x02, 0x00, 0x00, 0x07, 0x64, 0x01, 0x01, 0x2C, 0x01, 0x00, 0x00, 0x01,
                                  0x00, 0x00, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x64, 0x64, model}));
    };
    const QByteArray afterSample =
        frame(0x16, bytes({0x2C, 0x03, 0x00, 0x00, 0x4B, 0x7B, 0x01, 0x01, 0x9C, 0x01, 0x00, 0x00, 0x01,
                           0x00, 0x00, 0x00, 0x01, 0x01, 0x0F, 0x5A, 0x04, 0x01, 0x13, 0x6E, 0x78, 0x1F}));
    const QByteArray none;
    const QString ok;

    QTest::newRow("start state, Polo picked") << none << QStringList{"pick ComboBox8 0"} << startFrame(0x05) << ok;
    // Lists that show an entry without selecting it send that entry.
    QTest::newRow("start state as shown") << none << QStringList{} << startFrame(0x01) << ok;
    QTest::newRow("read, then save: constants replaced, byte 19 carried")
        << SampleConfig << QStringList{} << afterSample << ok;
    QTest::newRow("number typed past the maximum, brought in by the click")
        << none << QStringList{"type SpinEdit4 900000"}
        << with(startFrame(0x01), {{3, 0x9C}, {4, 0x34}, {5, 0x0C}, {11, 0x0C}, {12, 0x33}, {13, 0x0C}}) << ok;
    QTest::newRow("number not a number sends the minimum")
        << none << QStringList{"type SpinEdit4 7x"} << startFrame(0x01) << ok;
    QTest::newRow("battery typed out of range both ways")
        << none << QStringList{"type SpinEdit5 150", "type SpinEdit6 99"}
        << with(startFrame(0x01), {{26, 0x82}, {27, 0x64}}) << ok;
    QTest::newRow("version wider than a byte") << none << QStringList{"type ComboBox3 300"}
                                               << with(startFrame(0x01), {{7, 0x2C}}) << ok;
    QTest::newRow("CAN typed as an entry's text counts as that entry")
        << none << QStringList{"type ComboBox5 CAN disable"} << with(startFrame(0x01), {{8, 0x67}}) << ok;
    QTest::newRow("picks on every index list")
        << none << QStringList{"pick ComboBox5 2", "pick ComboBox4 4", "pick ComboBox6 1", "pick ComboBox7 18",
                               "pick ComboBox9 4", "pick ComboBox1 1", "pick ComboBox3 3"}
        << with(startFrame(0x01), {{7, 76}, {8, 142}, {21, 15}, {23, 4}, {24, 1}, {25, 19}}) << ok;

    QTest::newRow("version not a number") << none << QStringList{"type ComboBox3 7a"} << none
                                          << "'7a' is not a valid integer value";
    QTest::newRow("display code not a number")
        << none << QStringList{"type ComboBox4 x1 - Display"} << none << "'x1' is not a valid integer value";
    QTest::newRow("empty model entry picked") << none << QStringList{"pick ComboBox8 21"} << none
                                              << "'' is not a valid integer value";
    QTest::newRow("model code unknown to the table after a read")
        << with(SampleConfig, {{25, 99}}) << QStringList{} << none << "'' is not a valid integer value";
    QTest::newRow("CAN text that is no entry")
        << none << QStringList{"type ComboBox5 CAN off"} << none << "'CAN off' is not an entry of \"3. 46-CCSM\"";
    QTest::newRow("language left empty by a read")
        << with(SampleConfig, {{22, 0}}) << QStringList{} << none << "'' is not an entry of \"6. Language\"";
    QTest::newRow("boost left empty by a read")
        << with(SampleConfig, {{20, 5}}) << QStringList{} << none << "'' is not an entry of \"8. Turbo Boost\"";
    QTest::newRow("first fault in building order: version before model")
        << none << QStringList{"pick ComboBox8 21", "type ComboBox3 v"} << none << "'v' is not a valid integer value";
    QTest::newRow("first fault in building order: display before CAN")
        << none << QStringList{"type ComboBox5 nope", "type ComboBox4 ?"} << none << "'?' is not a valid integer value";
}

void TestCodingPages::configSave()
{
    QFETCH(QByteArray, reply);
    QFETCH(QStringList, actions);
    QFETCH(QByteArray, sent);
    QFETCH(QString, error);
    Rig r;
    if (!reply.isEmpty())
        r.read("Button6", reply);
    for (const QString &a : actions)
        r.act(a);
    // A request left before, which a stopped save must not replace.
    r.rq().request(state::Command, code::KeyPlus);
    const auto recordBefore = r.rq().ConfigRecord;

    r.click("Button5");
    if (error.isEmpty()) {
        QCOMPARE(r.errors, QStringList());
        QCOMPARE(r.rq().SessionState, state::SaveConfig);
        QCOMPARE(r.sentAfterPass(), sent);
        QCOMPARE(r.link.ops.first(), QStringLiteral("clearInput"));
        QCOMPARE(r.rq().SessionState, state::Idle);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.rq().ConfigRecord.data()), 26), sent.mid(3));
    } else {
        QCOMPARE(r.errors, QStringList{error});
        QCOMPARE(r.rq().SessionState, state::Command);
        QCOMPARE(r.rq().ReqCode, code::KeyPlus);
        QVERIFY(r.rq().ConfigRecord == recordBefore);
    }
}

void TestCodingPages::configRead_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("every setting") << SampleConfig
                                   << QStringList{"SpinEdit4=812", "ComboBox3=75", "ComboBox4=#2", "ComboBox5=#3",
                                                  "ComboBox6=#1", "ComboBox9=#4", "ComboBox1=#1", "ComboBox7=#18",
                                                  "SpinEdit5=110", "SpinEdit6=120", "ComboBox8=#12"};
    QTest::newRow("version equal to an entry stays unselected") << with(SampleConfig, {{4, 77}})
                                                                << QStringList{"ComboBox3=77"};
    QTest::newRow("display code 15") << with(SampleConfig, {{5, 0x96}}) << QStringList{"ComboBox4=-", "ComboBox5=#0"};
    QTest::newRow("display code 11") << with(SampleConfig, {{5, 0x6E}}) << QStringList{"ComboBox4=#1", "ComboBox5=#0"};
    QTest::newRow("CAN mode 4") << with(SampleConfig, {{5, 0x68}}) << QStringList{"ComboBox4=#0", "ComboBox5=-"};
    QTest::newRow("buttons 7") << with(SampleConfig, {{18, 7}}) << QStringList{"ComboBox6=#0"};
    QTest::newRow("buttons 8") << with(SampleConfig, {{18, 8}}) << QStringList{"ComboBox6=#1"};
    QTest::newRow("buttons 23") << with(SampleConfig, {{18, 23}}) << QStringList{"ComboBox6=-"};
    QTest::newRow("language 0") << with(SampleConfig, {{22, 0}}) << QStringList{"ComboBox7=-"};
    QTest::newRow("language 1") << with(SampleConfig, {{22, 1}}) << QStringList{"ComboBox7=#0"};
    QTest::newRow("model 99") << with(SampleConfig, {{25, 99}}) << QStringList{"ComboBox8=-"};
    QTest::newRow("model 11, the last") << with(SampleConfig, {{25, 11}}) << QStringList{"ComboBox8=#20"};
    QTest::newRow("boost 5, remap 2") << with(SampleConfig, {{20, 5}, {21, 2}})
                                      << QStringList{"ComboBox9=-", "ComboBox1=-"};
    QTest::newRow("number 0 and battery 150")
        << with(SampleConfig, {{0, 0}, {1, 0}, {2, 0}, {3, 0}, {23, 0x96}, {24, 0}})
        << QStringList{"SpinEdit4=700", "SpinEdit5=130", "SpinEdit6=100"};
    QTest::newRow("negative number") << with(SampleConfig, {{0, 0xFF}, {1, 0xFF}, {2, 0xFF}, {3, 0xFF}})
                                     << QStringList{"SpinEdit4=700"};
    QTest::newRow("number past the maximum") << with(SampleConfig, {{0, 0xFF}, {1, 0xFF}, {2, 0xFF}, {3, 0x00}})
                                             << QStringList{"SpinEdit4=799900"};
}

void TestCodingPages::configRead()
{
    QFETCH(QByteArray, record);
    QFETCH(QStringList, shown);
    Rig r;
    r.click("Button6");
    QCOMPARE(r.sentAfterPass(), frame(0x18));
    QCOMPARE(r.rq().SessionState, state::ConfigReply);
    r.link.Deliver(Leading + record);
    r.pass();
    QCOMPARE(r.rq().SessionState, state::Idle);
    checkShown(r, shown);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.rq().ConfigRecord.data()), 26), record);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.rq().XferBuf.data()), 26), record);
}

void TestCodingPages::configCommands_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("code");

    QTest::newRow("Read Config") << "Button6" << 0x18;
    QTest::newRow("Reset all BC") << "Button22" << 0x28;
    QTest::newRow("Reset SERVICE Records ...") << "Button37" << 0x37;
    QTest::newRow("Check Flash Disk ...") << "Button38" << 0x37;
    QTest::newRow("Wipe system sector") << "Button42" << 0x10;
}

void TestCodingPages::configCommands()
{
    QFETCH(QString, button);
    QFETCH(int, code);
    Rig r;
    r.link.Deliver({0x01, 0x02}); // stale bytes, purged before the frame goes out
    r.click(button);
    r.link.clearRecord();
    r.pass();
    QCOMPARE(r.link.ops.first(), QStringLiteral("clearInput"));
    QCOMPARE(r.link.sentBytes(), frame(code));

    // 27 bytes leave the page as it was; the 28th completes the reply in the pass that sees it.
    const QByteArray reply = Leading + SampleConfig;
    r.link.Deliver(reply.left(27));
    r.pass();
    r.pass();
    QCOMPARE(r.rq().SessionState, state::ConfigReply);
    QCOMPARE(r.text("SpinEdit4"), QStringLiteral("700"));
    r.link.Deliver(reply.mid(27));
    r.pass();
    QCOMPARE(r.rq().SessionState, state::Idle);
    QCOMPARE(r.text("SpinEdit4"), QStringLiteral("812"));
    QCOMPARE(r.link.Available(), 0u);
}

// ---------------------------------------------------------------- Extra Coding

void TestCodingPages::extraSave_data()
{
    QTest::addColumn<QByteArray>("reply");     // an extra coding record read first, if any
    QTest::addColumn<bool>("configRead");      // a configuration read after it
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QByteArray>("sent");

    // Nothing checked, 90 km/h, 240 min and 240 km, Navy (VW).
    const QByteArray start = frame(0x15, bytes({0x00, 0x5A, 0x00, 0x18, 0x18, 0x00, 0x00, 0x00}));
    const QByteArray none;

    QTest::newRow("start state") << none << false << QStringList{} << start;
    QTest::newRow("read, then save") << SampleExtra << false << QStringList{} << frame(0x15, SampleExtra);
    QTest::newRow("bits 2 to 5 of byte 7 go out as 0") << with(SampleExtra, {{7, 0xFF}}) << false << QStringList{}
                                                       << frame(0x15, with(SampleExtra, {{7, 0xC3}}));
    QTest::newRow("unit's bytes 5 and 6 survive a configuration read")
        << SampleExtra << true << QStringList{} << frame(0x15, SampleExtra);
    QTest::newRow("bytes 5 and 6 zero before any extra read") << none << true << QStringList{} << start;
    QTest::newRow("coffee time 5") << none << false << QStringList{"type SpinEdit39 5"} << with(start, {{6, 0}});
    QTest::newRow("coffee time 15") << none << false << QStringList{"type SpinEdit39 15"} << with(start, {{6, 2}});
    QTest::newRow("coffee time 25") << none << false << QStringList{"type SpinEdit39 25"} << with(start, {{6, 2}});
    QTest::newRow("coffee time 245, 255") << none << false << QStringList{"type SpinEdit39 245", "type SpinEdit40 255"}
                                          << with(start, {{6, 24}, {7, 26}});
    QTest::newRow("coffee distance 600") << none << false << QStringList{"type SpinEdit40 600"} << with(start, {{7, 60}});
    QTest::newRow("coffee time typed past the maximum")
        << none << false << QStringList{"type SpinEdit39 999"} << with(start, {{6, 60}});
    QTest::newRow("speed limit 150") << none << false << QStringList{"type SpinEdit3 150"} << with(start, {{4, 0x96}});
    QTest::newRow("speed limit typed 20") << none << false << QStringList{"type SpinEdit3 20"} << with(start, {{4, 0x32}});
    QTest::newRow("every warning checked")
        << none << false
        << QStringList{"toggle CheckListBox1 0", "toggle CheckListBox1 1", "toggle CheckListBox1 2",
                       "toggle CheckListBox1 3", "toggle CheckListBox1 4", "toggle CheckListBox1 5",
                       "toggle CheckListBox1 6", "toggle CheckListBox1 7"}
        << with(start, {{3, 0xFF}});
    QTest::newRow("switches, gearbox item and theme")
        << none << false
        << QStringList{"toggle CheckListBox2 1", "toggle CheckListBox2 6", "toggle CheckListBox3 1",
                       "radio Yellow (Seat)"}
        << with(start, {{5, 0x42}, {10, 0x82}});
    QTest::newRow("Green (Skoda) with both gearbox items")
        << none << false << QStringList{"toggle CheckListBox3 0", "toggle CheckListBox3 1", "radio Green (Skoda)"}
        << with(start, {{10, 0xC3}});
}

void TestCodingPages::extraSave()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, configRead);
    QFETCH(QStringList, actions);
    QFETCH(QByteArray, sent);
    Rig r;
    if (!reply.isEmpty())
        r.read("Button4", reply);
    if (configRead)
        r.read("Button6", SampleConfig); // leaves its own bytes 5 and 6 (0x7B, 0xAA) in the shared buffer
    for (const QString &a : actions)
        r.act(a);
    r.click("Button3");
    QCOMPARE(r.rq().SessionState, state::SaveExtraCoding);
    QCOMPARE(r.sentAfterPass(), sent);
    QCOMPARE(r.link.ops.first(), QStringLiteral("clearInput"));
    QCOMPARE(r.rq().SessionState, state::Idle);
}

void TestCodingPages::extraRead_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("warnings");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<int>("switches");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("distance");
    QTest::addColumn<int>("gearbox");
    QTest::addColumn<QString>("theme");

    QTest::newRow("sample") << SampleExtra << 0x81 << "110" << 0x42 << "120" << "200" << 0x02 << "Yellow (Seat)";
    QTest::newRow("byte 7 all set") << with(SampleExtra, {{7, 0xFF}}) << 0x81 << "110" << 0x42 << "120" << "200" << 0x03
                                    << "Green (Skoda)";
    QTest::newRow("bits 2 to 5 ignored") << with(SampleExtra, {{7, 0x3C}}) << 0x81 << "110" << 0x42 << "120" << "200"
                                         << 0x00 << "Navy (VW)";
    QTest::newRow("limits at and past the edges")
        << with(SampleExtra, {{1, 0x14}, {3, 60}, {4, 61}}) << 0x81 << "50" << 0x42 << "600" << "600" << 0x02
        << "Yellow (Seat)";
    QTest::newRow("largest bytes") << bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x40}) << 0xFF << "150" << 0xFF
                                   << "600" << "600" << 0x00 << "Red (Audi)";
}

void TestCodingPages::extraRead()
{
    QFETCH(QByteArray, record);
    Rig r;
    r.act("toggle CheckListBox1 3"); // a state the read must replace
    r.act("toggle CheckListBox3 0");
    r.click("Button4");
    QCOMPARE(r.sentAfterPass(), frame(0x17));
    QCOMPARE(r.rq().SessionState, state::ExtraCodingReply);

    // Nine bytes leave the page as it was.
    const QByteArray reply = Leading + record;
    r.link.Deliver(reply.left(9));
    r.pass();
    QCOMPARE(r.rq().SessionState, state::ExtraCodingReply);
    QCOMPARE(r.mask("CheckListBox1"), 0x08);
    QCOMPARE(r.text("SpinEdit3"), QStringLiteral("90"));
    r.link.Deliver(reply.mid(9));
    r.pass();
    QCOMPARE(r.rq().SessionState, state::Idle);

    QTEST(r.mask("CheckListBox1"), "warnings");
    QTEST(r.text("SpinEdit3"), "speed");
    QTEST(r.mask("CheckListBox2"), "switches");
    QTEST(r.text("SpinEdit39"), "time");
    QTEST(r.text("SpinEdit40"), "distance");
    QTEST(r.mask("CheckListBox3"), "gearbox");
    QString chosen;
    for (auto *radio : r.find("RadioGroup2")->findChildren<QRadioButton *>())
        if (radio->isChecked())
            chosen += radio->text();
    QTEST(chosen, "theme");
}

// ---------------------------------------------------------------- Transmission

void TestCodingPages::gearExchange_data()
{
    QTest::addColumn<int>("gear");
    QTest::addColumn<int>("priorSpeed");   // -1: the page's start values
    QTest::addColumn<int>("priorCoupled");
    QTest::addColumn<QString>("action");   // paste/type into speed/coupled, or a reply byte for the gear
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("speed");
    QTest::addColumn<QString>("coupled");
    QTest::addColumn<int>("saved");        // what "Save" then sends for the gear

    // Gear 1 starts at 22 and 90, which are not in step (Round(2000 / 22) = 91).
    QTest::newRow("speed 23") << 1 << -1 << -1 << "paste speed" << "23" << "23" << "87" << 87;
    QTest::newRow("speed 150: 13, then 154, then 13 again") << 1 << -1 << -1 << "paste speed" << "150" << "154" << "13"
                                                            << 13;
    QTest::newRow("speed 160: 12.5 to 12") << 1 << -1 << -1 << "paste speed" << "160" << "167" << "12" << 12;
    QTest::newRow("speed 32: 62.5 to 62") << 1 << -1 << -1 << "paste speed" << "32" << "32" << "62" << 62;
    QTest::newRow("3 typed: 667 brought to 200, then 10") << 1 << -1 << -1 << "type speed" << "3" << "10" << "200"
                                                          << 200;
    QTest::newRow("coupled 5: 400 brought to 200, then 10") << 1 << -1 << -1 << "paste coupled" << "5" << "200" << "10"
                                                            << 10;
    QTest::newRow("coupled 150") << 1 << -1 << -1 << "paste coupled" << "150" << "13" << "154" << 154;
    QTest::newRow("149/13, speed 150: coupled stays, speed stays") << 2 << 149 << 13 << "paste speed" << "150" << "150"
                                                                   << "13" << 13;
    // A text reading 0 has no partner: the partner keeps its value, and no error is shown. The
    // click on "Save" then brings the 0 to 1, which runs the exchange.
    QTest::newRow("coupled typed 0") << 1 << -1 << -1 << "type coupled" << "0" << "22" << "0" << 10;
    QTest::newRow("reply 13") << 1 << -1 << -1 << "reply" << "13" << "154" << "13" << 13;
    QTest::newRow("reply 150") << 1 << -1 << -1 << "reply" << "150" << "13" << "154" << 154;
    QTest::newRow("reply 200") << 1 << -1 << -1 << "reply" << "200" << "10" << "200" << 200;
    QTest::newRow("reply 5") << 1 << -1 << -1 << "reply" << "5" << "200" << "10" << 10;
    QTest::newRow("reply 0 brought to 1") << 1 << -1 << -1 << "reply" << "0" << "200" << "10" << 10;
    QTest::newRow("reply 91") << 1 << -1 << -1 << "reply" << "91" << "22" << "91" << 91;
    QTest::newRow("200/90, reply 5: speed already 200, not corrected") << 3 << 200 << 90 << "reply" << "5" << "200"
                                                                       << "5" << 5;
    QTest::newRow("reply equal to the shown value leaves the row") << 6 << -1 << -1 << "reply" << "24" << "84" << "24"
                                                                   << 24;
}

void TestCodingPages::gearExchange()
{
    QFETCH(int, gear);
    QFETCH(int, priorSpeed);
    QFETCH(int, priorCoupled);
    QFETCH(QString, action);
    QFETCH(QString, input);
    QFETCH(int, saved);
    static const char *speedEdits[] = {"SpinEdit27", "SpinEdit28", "SpinEdit29", "SpinEdit32", "SpinEdit31", "SpinEdit30"};
    static const char *coupledEdits[] = {"SpinEdit38", "SpinEdit37", "SpinEdit36", "SpinEdit35", "SpinEdit33", "SpinEdit34"};
    const QString speed = speedEdits[gear - 1], coupled = coupledEdits[gear - 1];
    QByteArray shown = bytes({90, 60, 40, 33, 28, 24});
    Rig r;
    if (priorSpeed >= 0) {
        // A row out of step, which no exchange would leave.
        const QSignalBlocker a(r.find(speed)), b(r.find(coupled));
        r.find<SpinEdit>(speed)->setValue(priorSpeed);
        r.find<SpinEdit>(coupled)->setValue(priorCoupled);
        shown[gear - 1] = char(priorCoupled);
    }

    if (action == "reply") {
        r.click("Button28");
        QCOMPARE(r.sentAfterPass(), frame(0x24));
        QByteArray reply = shown;
        reply[gear - 1] = char(input.toInt());
        r.link.Deliver(Leading + reply);
        r.pass();
        QCOMPARE(r.rq().SessionState, state::Idle);
    } else {
        const QString edit = action.endsWith("speed") ? speed : coupled;
        r.act(action.section(' ', 0, 0) + ' ' + edit + ' ' + input);
    }
    QTEST(r.text(speed), "speed");
    QTEST(r.text(coupled), "coupled");
    QCOMPARE(r.errors, QStringList());

    r.click("Button27");
    QByteArray payload;
    for (int g = 0; g < 6; ++g)
        payload += bytes({g == gear - 1 ? saved : int(std::uint8_t(shown[g])), 0x00});
    QCOMPARE(r.sentAfterPass(), frame(0x23, payload));
    QCOMPARE(r.rq().SessionState, state::Idle);
}

void TestCodingPages::gearStartValuesAndReadBack()
{
    Rig r;
    r.click("Button27");
    QCOMPARE(r.sentAfterPass(),
             frame(0x23, bytes({0x5A, 0x00, 0x3C, 0x00, 0x28, 0x00, 0x21, 0x00, 0x1C, 0x00, 0x18, 0x00})));

    // Reading back what is shown changes nothing, out-of-step rows included.
    r.click("Button28");
    QCOMPARE(r.sentAfterPass(), frame(0x24));
    const QByteArray reply = Leading + bytes({0x5A, 0x3C, 0x28, 0x21, 0x1C, 0x18});
    r.link.Deliver(reply.left(7));
    r.pass();
    QCOMPARE(r.rq().SessionState, state::GearboxReply);
    r.link.Deliver(reply.mid(7));
    r.pass();
    QCOMPARE(r.rq().SessionState, state::Idle);
    const QStringList speeds{"22", "33", "50", "61", "71", "84"};
    const char *speedEdits[] = {"SpinEdit27", "SpinEdit28", "SpinEdit29", "SpinEdit32", "SpinEdit31", "SpinEdit30"};
    for (int g = 0; g < 6; ++g)
        QCOMPARE(r.text(speedEdits[g]), speeds[g]);
    QCOMPARE(r.text("SpinEdit38"), QStringLiteral("90"));
}

// ---------------------------------------------------------------- Gamma

void TestCodingPages::gammaTabs()
{
    Rig r;
    auto *tabs = r.find<QTabWidget>("PageControl1");
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("HX8375B   ILI9481"));
    QCOMPARE(tabs->widget(0)->objectName(), QStringLiteral("TabSheet6"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("HX8357C"));
    QCOMPARE(tabs->widget(1)->objectName(), QStringLiteral("TabSheet7"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("ILI9486"));
    QCOMPARE(tabs->widget(2)->objectName(), QStringLiteral("TabSheet5"));
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("TabSheet5"));
    QVERIFY(r.find("cxTabSheet1")->isAncestorOf(tabs));
}

void TestCodingPages::gammaFrames_data()
{
    QTest::addColumn<QStringList>("actions");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("sent");

    const QByteArray hxStart = bytes({0x77, 0x77, 0x00, 0x07, 0x0F, 0x00, 0x00, 0x42, 0x42, 0x74, 0x00, 0x1E});
    const QByteArray iliStart = bytes({0x0F, 0x24, 0x1C, 0x0A, 0x0F, 0x08, 0x44, 0x87, 0x32, 0x0F, 0x10, 0x06, 0x1A, 0x07, 0x00,
                                       0x0F, 0x38, 0x30, 0x09, 0x0F, 0x0F, 0x4E, 0x77, 0x3C, 0x07, 0x4C, 0x05, 0x23, 0x1B, 0x00});

    QTest::newRow("HX8375B start") << QStringList{} << "Button25" << frame(0x1E, hxStart);
    QTest::newRow("def ILI9481") << QStringList{"click Button36"} << "Button25"
                                 << frame(0x1E, bytes({0x00, 0x32, 0x36, 0x45, 0x06, 0x16, 0x37, 0x75, 0x77, 0x54, 0x0C, 0x00}));
    QTest::newRow("def HX8375B") << QStringList{"click Button34"} << "Button25"
                                 << frame(0x1E, bytes({0x00, 0x67, 0x04, 0x70, 0x00, 0x1E, 0x37, 0x01, 0x77, 0x07, 0x0F, 0x00}));
    QTest::newRow("nibbles: left 7 right 0, left 0 right 7")
        << QStringList{"type SpinEdit9 7", "type SpinEdit21 0", "type SpinEdit7 0", "type SpinEdit19 7"} << "Button25"
        << frame(0x1E, with(hxStart, {{0, 0x07}, {2, 0x70}}));
    QTest::newRow("typed past the range, and not a number")
        << QStringList{"type SpinEdit12 40", "type SpinEdit11 x"} << "Button25"
        << frame(0x1E, with(hxStart, {{4, 0x00}, {5, 0x1F}}));
    QTest::newRow("HX8357C start") << QStringList{} << "Button32" << frame(0x1E, QByteArray(33, 0) + bytes({0x01}));
    QTest::newRow("HX8357C first, last and settings")
        << QStringList{"type SpinEdit41 127", "type SpinEdit72 128", "type SpinEdit73 255", "type SpinEdit74 0"}
        << "Button32" << frame(0x1E, bytes({0x7F}) + QByteArray(30, 0) + bytes({0x7F, 0xFF, 0x00}));
    QTest::newRow("ILI9486 start") << QStringList{} << "Button40" << frame(0x1E, iliStart);
    QTest::newRow("ILI9486 136 typed into the two wider edits")
        << QStringList{"type SpinEdit82 136", "type SpinEdit83 136", "type SpinEdit84 136", "type SpinEdit105 9"}
        << "Button40" << frame(0x1E, with(iliStart, {{8, 0x87}, {9, 0x7F}, {29, 0x09}}));
    QTest::newRow("Save GAMMA, first page") << QStringList{} << "Button26" << frame(0x1F);
    QTest::newRow("Save GAMMA, HX8357C") << QStringList{} << "Button31" << frame(0x1F);
    QTest::newRow("Save GAMMA, ILI9486") << QStringList{} << "Button39" << frame(0x1F);
    QTest::newRow("Set default GAMMA, first page") << QStringList{} << "Button33" << frame(0x3D);
    QTest::newRow("Set default GAMMA, HX8357C") << QStringList{} << "Button35" << frame(0x3D);
    QTest::newRow("Set default GAMMA, ILI9486") << QStringList{} << "Button41" << frame(0x3D);
}

void TestCodingPages::gammaFrames()
{
    QFETCH(QStringList, actions);
    QFETCH(QString, button);
    QFETCH(QByteArray, sent);
    Rig r;
    for (const QString &a : actions)
        r.act(a);
    r.click(button);
    QCOMPARE(r.sentAfterPass(), sent);
    QCOMPARE(r.link.ops.first(), QStringLiteral("clearInput"));
    r.pass();
    QCOMPARE(r.window.statusPanel(4)->text(), QStringLiteral("1000"));
}

void TestCodingPages::gammaPresetSendsNothing()
{
    Rig r;
    const auto values = [&r](const char *page) {
        QStringList v;
        for (auto *e : r.find(page)->findChildren<SpinEdit *>())
            v << e->objectName() + '=' + e->text();
        return v;
    };
    const QStringList others = values("TabSheet7") + values("TabSheet5");
    const QStringList before = values("TabSheet6");
    r.click("Button34");
    QVERIFY(values("TabSheet6") != before);
    QCOMPARE(r.rq().SessionState, state::Idle);
    QCOMPARE(r.sentAfterPass(), QByteArray());
    QCOMPARE(values("TabSheet7") + values("TabSheet5"), others);
}

// The driver reads the edits when it sends, so a number typed after the click and before the
// next pass goes out, brought into the edit's range even though the edit still has the focus.
void TestCodingPages::gammaReadWhenSent()
{
    Rig r;
    r.click("Button40");
    r.act("type SpinEdit75 12");
    r.act("type SpinEdit83 200");
    QVERIFY(r.find("SpinEdit83")->hasFocus());
    const QByteArray sent = r.sentAfterPass();
    QCOMPARE(sent.size(), 33);
    QCOMPARE(sent.at(3), char(12));
    QCOMPARE(std::uint8_t(sent.at(11)), std::uint8_t(0x87));
}

QTEST_MAIN(TestCodingPages)
#include "test_coding_pages.moc"
