// The coding pages against the simulated unit on a real pseudo-terminal, through the real window
// and serial code: what the unit holds after a save is what the page showed, and a read brings
// it back unchanged.
#include "app/main_window.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "sim_process.h"
#include "test_bytes.h"
#include "user_actions.h"
#include "widgets/editable_list.h"
#include "widgets/spin_edit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

namespace {

// The window on a serial link to the simulated unit, worked by name.
class Rig : public User {
public:
    Rig() : User(w) {}

    QTemporaryDir dir;
    QString stateFile = dir.filePath(QStringLiteral("unit.txt"));
    SimProcess sim{{"--state-file", stateFile}};
    SerialLink link;
    SteadyClock clock;
    TForm3 w{link, clock};
    Session s;
    QStringList errors;

    // Opens a session the way "Connect" does, one pass at a time.
    bool open()
    {
        if (!sim.started())
            return false;
        w.setErrorReporter([this](const QString &e) { errors << e; });
        w.show();
        QApplication::setActiveWindow(&w);
        w.portChosen(sim.port());
        if (!w.driver().tryOpen(s))
            return false;
        w.requests().SessionState = state::SessionOpening;
        return untilIdle();
    }
    // Passes until the driver rests, sleeping between passes on the window's events.
    bool untilIdle(int limitMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        do {
            w.driver().pass(s);
            if (w.requests().SessionState == state::Idle)
                return true;
            w.processEvents(true, 5);
        } while (t.elapsed() < limitMs);
        qWarning("driver still in state %d", w.requests().SessionState);
        return false;
    }
    // What the unit holds under a key of its state dump ("config", "extra", "gears", "gamma12").
    QByteArray unit(const QString &key)
    {
        QFile f(stateFile);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        for (const QByteArray &line : f.readAll().split('\n'))
            if (line.startsWith(key.toLatin1() + ' '))
                return QByteArray::fromHex(line.mid(key.size() + 1).replace(' ', ""));
        return {};
    }
    // A frame without a reply: the unit's dump is polled until it holds what is expected.
    bool unitHolds(const QString &key, const QByteArray &expected, int limitMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        while (unit(key) != expected && t.elapsed() < limitMs)
            w.processEvents(true, 10);
        return unit(key) == expected;
    }

    bool request(const char *button)
    {
        click(button);
        return untilIdle();
    }
    int value(const char *name) { return find<SpinEdit>(name)->value(); }

    // Everything a page shows: spin edit texts, list texts, check marks, the chosen theme.
    QStringList shown(const char *page)
    {
        QStringList v;
        QWidget *p = find(page);
        for (auto *e : p->findChildren<SpinEdit *>())
            v << e->objectName() + '=' + e->text();
        for (auto *l : p->findChildren<EditableList *>())
            v << l->objectName() + '=' + l->text();
        for (auto *l : p->findChildren<QListWidget *>())
            for (int i = 0; i < l->count(); ++i)
                v << l->objectName() + QString::number(i) + '=' + QString::number(l->item(i)->checkState());
        for (auto *r : p->findChildren<QRadioButton *>())
            if (r->isChecked())
                v << "theme=" + r->text();
        v.sort();
        return v;
    }
};

} // namespace

class TestCodingE2e : public QObject {
    Q_OBJECT
private slots:
    void configRoundTrip();
    void extraCodingRoundTrip();
    void gearboxRoundTrip();
    void gammaTablesArriveAsShown();
};

void TestCodingE2e::configRoundTrip()
{
    Rig r;
    QVERIFY(r.open());
    const QByteArray held = r.unit("config");
    QCOMPARE(held.size(), 26);
    QVERIFY(r.request("Button6"));
    QCOMPARE(r.value("SpinEdit4"), int(std::uint8_t(held[0]) | std::uint8_t(held[1]) << 8));

    r.paste("SpinEdit4", "745");
    r.pick("ComboBox3", 3); // "76"
    r.pick("ComboBox4", 2); // display 12
    r.pick("ComboBox5", 3); // CAN disable
    r.pick("ComboBox8", 14); // "41 Seat Leon 1M (immo3)"
    r.pick("ComboBox7", 9); // GER
    r.pick("ComboBox6", 1);
    r.pick("ComboBox9", 4);
    r.pick("ComboBox1", 1);
    r.paste("SpinEdit5", "111");
    r.paste("SpinEdit6", "122");
    const QStringList before = r.shown("TabSheet1");
    QVERIFY(r.request("Button5"));
    QVERIFY(r.request("Button6"));

    // 745 and 745 - 400, the constants, the unit's own byte 19, and each setting as picked.
    const QByteArray expected = bytes({0xE9, 0x02, 0x00, 0x00, 76, 123, 0x01, 0x01, 0x59, 0x01, 0x00, 0x00, 0x01, 0x00,
                                       0x00, 0x00, 0x01, 0x01, 15, std::uint8_t(held[19]), 4, 1, 10, 111, 122, 41});
    QCOMPARE(r.unit("config"), expected);
    QCOMPARE(r.shown("TabSheet1"), before);
    QCOMPARE(r.errors, QStringList());
}

void TestCodingE2e::extraCodingRoundTrip()
{
    Rig r;
    QVERIFY(r.open());
    const QByteArray held = r.unit("extra");
    QCOMPARE(held.size(), 8);
    QVERIFY(r.request("Button4"));
    // A configuration read puts the configuration's bytes 5 and 6 in the shared record buffer;
    // the extra coding save must still send back the unit's own.
    QVERIFY(r.request("Button6"));

    const int warnings = std::uint8_t(held[0]) ^ 0x80, switches = std::uint8_t(held[2]) ^ 0x01;
    r.toggle("CheckListBox1", 7);
    r.toggle("CheckListBox2", 0);
    r.paste("SpinEdit3", "120");
    r.paste("SpinEdit39", "250");
    r.paste("SpinEdit40", "330");
    r.toggle("CheckListBox3", 1);
    r.chooseRadio("RadioGroup2", "Green (Skoda)");
    const int gearbox = (std::uint8_t(held[7]) & 3) ^ 2;
    const QStringList before = r.shown("cxTabSheet5");
    QVERIFY(r.request("Button3"));
    QVERIFY(r.request("Button4"));

    QCOMPARE(r.unit("extra"), bytes({warnings, 120, switches, 25, 33, std::uint8_t(held[5]), std::uint8_t(held[6]),
                                     0xC0 | gearbox}));
    QCOMPARE(r.shown("cxTabSheet5"), before);
}

void TestCodingE2e::gearboxRoundTrip()
{
    Rig r;
    QVERIFY(r.open());
    const QByteArray held = r.unit("gears");
    QCOMPARE(held.size(), 6);
    QVERIFY(r.request("Button28"));
    QCOMPARE(r.value("SpinEdit38"), int(std::uint8_t(held[0])));

    r.paste("SpinEdit28", "45"); // gear 2: 44
    r.paste("SpinEdit33", "30"); // gear 5: 30, speed 67
    QCOMPARE(r.value("SpinEdit37"), 44);
    QCOMPARE(r.value("SpinEdit31"), 67);
    const QStringList before = r.shown("TabSheet3");
    QVERIFY(r.request("Button27"));
    QVERIFY(r.request("Button28"));

    QByteArray expected = held;
    expected[1] = 44;
    expected[4] = 30;
    QCOMPARE(r.unit("gears"), expected);
    QCOMPARE(r.shown("TabSheet3"), before);
}

void TestCodingE2e::gammaTablesArriveAsShown()
{
    Rig r;
    QVERIFY(r.open());

    // The first page after a preset and an edit: rows of a high and a low nibble or one value.
    r.click("Button36");
    r.paste("SpinEdit12", "9");
    r.paste("SpinEdit23", "5");
    const std::pair<const char *, const char *> rows[12] = {
        {"SpinEdit7", "SpinEdit19"}, {"SpinEdit8", "SpinEdit20"}, {"SpinEdit9", "SpinEdit21"},
        {"SpinEdit10", "SpinEdit22"}, {"SpinEdit11", nullptr}, {"SpinEdit12", nullptr},
        {"SpinEdit13", "SpinEdit23"}, {"SpinEdit14", "SpinEdit24"}, {"SpinEdit15", "SpinEdit25"},
        {"SpinEdit16", "SpinEdit26"}, {"SpinEdit17", nullptr}, {"SpinEdit18", nullptr},
    };
    QByteArray first;
    for (const auto &[high, low] : rows)
        first.append(char(low ? r.value(high) * 16 + r.value(low) : r.value(high)));
    QCOMPARE(first.at(5), char(9));
    QVERIFY(r.request("Button25"));
    QVERIFY(r.unitHolds("gamma12", first));

    // One value per byte on the other two pages, in designer order (the ILI9486 numbering skips 90).
    const auto table = [&r](QList<int> numbers) {
        QByteArray t;
        for (int n : numbers)
            t.append(char(r.value(qPrintable(QStringLiteral("SpinEdit%1").arg(n)))));
        return t;
    };
    QList<int> hx8357c, ili9486;
    for (int n = 41; n <= 74; ++n)
        hx8357c << n;
    for (int n = 75; n <= 105; ++n)
        if (n != 90)
            ili9486 << n;

    r.paste("SpinEdit41", "100");
    r.paste("SpinEdit64", "17");
    r.paste("SpinEdit73", "200");
    QVERIFY(r.request("Button32"));
    QVERIFY(r.unitHolds("gamma34", table(hx8357c)));

    r.paste("SpinEdit83", "135");
    r.paste("SpinEdit105", "3");
    QVERIFY(r.request("Button40"));
    QVERIFY(r.unitHolds("gamma30", table(ili9486)));
    QCOMPARE(r.unit("gamma30").at(8), char(135));

    QVERIFY(r.request("Button39"));
    QVERIFY(r.request("Button35"));
    // The unit keeps save and default requests as plain commands.
    QElapsedTimer t;
    t.start();
    while (!r.sim.frames().contains("A6 01 3D") && t.elapsed() < 5000)
        r.w.processEvents(true, 10);
    const QStringList frames = r.sim.frames();
    QCOMPARE(frames.mid(frames.size() - 2), QStringList({"A6 01 1F", "A6 01 3D"}));
}

QTEST_MAIN(TestCodingE2e)
#include "test_coding_e2e.moc"
