// The coding records without widgets: the lists' entries agree with the codes the unit keeps,
// and values wider than a byte go out as their low 8 bits.
#include "coding/config_record.h"
#include "coding/extra_coding_record.h"

#include <QtTest>

using namespace mfd;

class TestCodingRecords : public QObject {
    Q_OBJECT
private slots:
    // A read selects the entry whose leading number equals the byte, and a save sends that
    // number back: both directions must agree for every model and display.
    void modelCodesRoundTrip()
    {
        QCOMPARE(config::CarModelEntries.size(), int(config::CarModelCodes.size()) + 1);
        for (int i = 0; i < int(config::CarModelCodes.size()); ++i) {
            const QString text = config::CarModelEntries.at(i);
            QCOMPARE(text.left(2).toInt(), config::CarModelCodes[i]);
            config::Record r{};
            r[25] = std::uint8_t(config::CarModelCodes[i]);
            QCOMPARE(config::decode(r).model, i);

            config::PageValues page;
            page.version = "7";
            page.display = config::DisplayEntries.at(0);
            page.canMode.selected = page.buttons.selected = page.language.selected = 0;
            page.boost.selected = page.remap.selected = 0;
            page.model = text;
            const auto saved = config::encode(page, r);
            QVERIFY(saved.record);
            QCOMPARE(int((*saved.record)[25]), config::CarModelCodes[i]);
        }
    }

    void displayCodesRoundTrip()
    {
        for (int i = 0; i < config::DisplayEntries.size(); ++i) {
            config::Record r{};
            r[5] = std::uint8_t((10 + i) * 10 + 2);
            const config::Shown shown = config::decode(r);
            QCOMPARE(shown.display, i);
            QCOMPARE(shown.canMode, 2);
            QCOMPARE(config::DisplayEntries.at(i).left(2).toInt(), 10 + i);
        }
    }

    void lowEightBits_data()
    {
        QTest::addColumn<QString>("version");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("canMode");
        QTest::addColumn<int>("byte4");
        QTest::addColumn<int>("byte5");

        QTest::newRow("negative version") << "-1" << "10 - x" << 0 << 0xFF << 100;
        QTest::newRow("version 256") << "256" << "10 - x" << 0 << 0x00 << 100;
        QTest::newRow("display 99 with CAN 3: 993") << "7" << "99" << 3 << 7 << (993 & 0xFF);
        QTest::newRow("one-digit display code") << "7" << "9" << 1 << 7 << 91;
    }
    void lowEightBits()
    {
        QFETCH(QString, version);
        QFETCH(QString, display);
        QFETCH(int, canMode);
        config::PageValues page;
        page.version = version;
        page.display = display;
        page.canMode.selected = canMode;
        page.buttons.text = config::ButtonEntries.at(1);
        page.language.text = config::LanguageEntries.at(18);
        page.boost.text = config::BoostEntries.at(4);
        page.remap.text = config::RemapEntries.at(1);
        page.model = "41";
        const auto saved = config::encode(page, config::Record{});
        QVERIFY2(saved.record, qPrintable(saved.error));
        QTEST(int((*saved.record)[4]), "byte4");
        QTEST(int((*saved.record)[5]), "byte5");
        QCOMPARE(int((*saved.record)[18]), 15);
        QCOMPARE(int((*saved.record)[22]), 19);
        QCOMPARE(int((*saved.record)[20]), 4);
        QCOMPARE(int((*saved.record)[21]), 1);
    }

    // Byte 7 carries the gearbox switches and the theme in separate bits, whatever the others hold.
    void themeAndGearboxBits()
    {
        for (int theme = 0; theme < 4; ++theme)
            for (int gearbox = 0; gearbox < 4; ++gearbox) {
                extra::Values v;
                v.theme = theme;
                v.gearbox = std::uint8_t(gearbox);
                const extra::Record r = extra::encode(v, 0xFF, 0xFF);
                QCOMPARE(int(r[7]), theme * 64 + gearbox);
                const extra::Values back = extra::decode(r);
                QCOMPARE(back.theme, theme);
                QCOMPARE(int(back.gearbox), gearbox);
            }
    }
};

QTEST_MAIN(TestCodingRecords)
#include "test_coding_records.moc"
