// The transfers' pure parts: the path code page, frame bytes, image blocks, throughput, the unit
// folder a PC folder picks, and the progress bar's span.
#include "transfer/code_page.h"
#include "transfer/frames.h"
#include "transfer/sd_folders.h"
#include "transfer/throughput.h"
#include "transfer/transfer_steps.h"

#include <QtTest>
#include <limits>
#include <map>

using namespace mfd;
using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)
Q_DECLARE_METATYPE(std::optional<QString>)

class TestTransferFrames : public QObject {
    Q_OBJECT
private slots:
    void windows1251_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("representable");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("ASCII") << "/3D/logo.bmp" << true << QByteArray("/3D/logo.bmp");
        QTest::newRow("control and DEL") << QString::fromLatin1("\x01\x7F") << true << QByteArray("\x01\x7F");
        QTest::newRow("Cyrillic") << QString::fromUtf8("Привет") << true << QByteArray("\xCF\xF0\xE8\xE2\xE5\xF2");
        QTest::newRow("first and last letters") << QString::fromUtf8("Аяя") << true << QByteArray("\xC0\xFF\xFF");
        QTest::newRow("Yo, Ukrainian, Serbian")
            << QString::fromUtf8("ЁёЇїЂџҐґ") << true << QByteArray("\xA8\xB8\xAF\xBF\x80\x9F\xA5\xB4");
        QTest::newRow("signs") << QString::fromUtf8("€№™«»") + QChar(0xA0) << true << QByteArray("\x88\xB9\x99\xAB\xBB\xA0");
        QTest::newRow("accented Latin") << QString::fromUtf8("café") << false << QByteArray();
        QTest::newRow("C1 control where 0x98 has no character") << QString(QChar(0x98)) << false << QByteArray();
        QTest::newRow("CJK") << QString::fromUtf8("日本") << false << QByteArray();
        QTest::newRow("outside 16 bits") << QString::fromUtf8("a\U0001F600") << false << QByteArray();
        QTest::newRow("empty") << QString() << true << QByteArray();
    }
    void windows1251()
    {
        QFETCH(QString, text);
        QFETCH(bool, representable);
        QFETCH(QByteArray, bytes);
        const std::optional<QByteArray> got = toWindows1251(text);
        QCOMPARE(got.has_value(), representable);
        if (representable)
            QCOMPARE(*got, bytes);
    }

    // Every byte but 0x98 has exactly one character and no two characters share a byte, so no
    // two names can land on one file on the card.
    void windows1251IsOneToOne()
    {
        std::map<int, QList<int>> byByte;
        for (int c = 0; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            if (const auto b = toWindows1251(QString(QChar(char16_t(c)))))
                byByte[std::uint8_t(b->at(0))] << c;
        }
        QCOMPARE(int(byByte.size()), 255);
        QVERIFY(!byByte.count(0x98));
        for (const auto &[byte, chars] : byByte) {
            QCOMPARE(chars.size(), 1);
            if (byte < 0x80)
                QCOMPARE(chars.first(), byte);
        }
    }

    void sdPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("carried");
        QTest::newRow("empty") << "" << true;
        QTest::newRow("255 characters") << QString(255, QLatin1Char('a')) << true;
        QTest::newRow("256 characters") << QString(256, QLatin1Char('a')) << false;
        QTest::newRow("255 Cyrillic characters") << QString(255, QChar(0x0416)) << true;
        QTest::newRow("one character outside the code page") << QString::fromUtf8("/logos/ø.bmp") << false;
    }
    void sdPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, carried);
        const auto bytes = sdPathBytes(path);
        QCOMPARE(bytes.has_value(), carried);
        if (carried)
            QCOMPARE(bytes->size(), path.size());
    }

    void frames_data()
    {
        QTest::addColumn<Bytes>("frame");
        QTest::addColumn<Bytes>("expected");
        const std::uint8_t data[] = {0x80, 0x90, 0x10};
        std::array<std::uint8_t, ImageBlockSize> block{};
        block[0] = 0x11;
        block[1023] = 0x22;
        Bytes blockFrame{0xA4, 0x00, 0x11};
        blockFrame.resize(2 + 1023, 0);
        blockFrame.push_back(0x22);
        QTest::newRow("SD start /3D/logo.bmp")
            << sdStartFrame("/3D/logo.bmp")
            << Bytes{0xAA, 0x0C, '/', '3', 'D', '/', 'l', 'o', 'g', 'o', '.', 'b', 'm', 'p'};
        QTest::newRow("SD data, 3 bytes") << sdDataFrame(data, 3) << Bytes{0xAB, 0x03, 0x80, 0x90, 0x10};
        QTest::newRow("SD data, empty") << sdDataFrame(data, 0) << Bytes{0xAB, 0x00};
        QTest::newRow("SD end") << sdEndFrame() << Bytes{0xAC, 0x00};
        QTest::newRow("image start, disk 3") << imageStartFrame(3) << Bytes{0xA3, 0x01, 0x03};
        QTest::newRow("image block") << imageBlockFrame(block) << blockFrame;
    }
    void frames()
    {
        QFETCH(Bytes, frame);
        QFETCH(Bytes, expected);
        QCOMPARE(frame, expected);
    }

    void sdBlockLengths_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QList<int>>("lengths");
        QTest::newRow("0") << qint64(0) << QList<int>{0};
        QTest::newRow("250") << qint64(250) << QList<int>{250};
        QTest::newRow("251") << qint64(251) << QList<int>{250, 1};
        QTest::newRow("500") << qint64(500) << QList<int>{250, 250};
        QTest::newRow("past 4 GB") << qint64(0x100000000LL + 3) << QList<int>{250};
    }
    void sdBlockLengths()
    {
        QFETCH(qint64, size);
        QFETCH(QList<int>, lengths);
        QList<int> got;
        qint64 pos = 0;
        do {
            const int n = int(sdBlockLength(size, pos));
            got << n;
            pos += n;
        } while (pos < size && got.size() < lengths.size());
        QCOMPARE(got, lengths);
    }

    void imageBlockFill_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("taken");
        QTest::newRow("empty file") << 0 << 0 << 0;
        QTest::newRow("whole block") << 2048 << 1024 << 1024;
        QTest::newRow("1 byte left") << 1025 << 1024 << 1;
        QTest::newRow("952 bytes left") << 3000 << 2048 << 952;
        QTest::newRow("past the end") << 10 << 20 << 0;
    }
    void imageBlockFill()
    {
        QFETCH(int, size);
        QFETCH(int, pos);
        QFETCH(int, taken);
        QByteArray data(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            data[i] = char(1 + i % 250);
        std::array<std::uint8_t, ImageBlockSize> block;
        block.fill(0xEE); // left by an earlier block or transfer
        QCOMPARE(int(fillImageBlock(block, data, pos)), taken);
        for (int i = 0; i < taken; ++i)
            QCOMPARE(int(block[i]), 1 + (pos + i) % 250);
        for (int i = taken; i < int(ImageBlockSize); ++i)
            QCOMPARE(int(block[i]), 0);
    }

    void throughputFigures_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<quint32>("mark");
        QTest::addColumn<quint32>("now");
        QTest::addColumn<qint64>("shown");
        QTest::newRow("2500 in 499") << qint64(2500) << 1000u << 1499u << qint64(5000);
        QTest::newRow("0.5 rounds to 0") << qint64(1) << 0u << 1999u << qint64(0);
        QTest::newRow("1.5 rounds to 2") << qint64(3) << 0u << 1999u << qint64(2);
        QTest::newRow("2.5 rounds to 2") << qint64(5) << 0u << 1999u << qint64(2);
        QTest::newRow("4096 in 1023") << qint64(4096) << 7u << 1030u << qint64(4000);
        QTest::newRow("same tick") << qint64(250) << 5u << 5u << qint64(250000);
        QTest::newRow("across the wrap") << qint64(2500) << 0xFFFFFF00u << 0x000000F3u << qint64(5000);
        // An elapsed 2^32 - 1 must not wrap to a division by zero.
        QTest::newRow("longest elapsed") << qint64(0x100000000LL) << 1u << 0u << qint64(1000);
    }
    void throughputFigures()
    {
        QFETCH(qint64, bytes);
        QFETCH(quint32, mark);
        QFETCH(quint32, now);
        QFETCH(qint64, shown);
        QCOMPARE(throughput(std::uint64_t(bytes), now, mark), shown);
    }

    void unitFolderSelection_data()
    {
        QTest::addColumn<std::optional<QString>>("pcFolder");
        QTest::addColumn<QString>("selected");
        QTest::newRow("Main") << std::optional<QString>("Main") << "/main/";
        QTest::newRow("3d") << std::optional<QString>("3d") << "/3D/";
        QTest::newRow("3D") << std::optional<QString>("3D") << "/3D/";
        QTest::newRow("DIAG, the last item") << std::optional<QString>("DIAG") << "/diag/";
        QTest::newRow("photos") << std::optional<QString>("photos") << "/";
        QTest::newRow("root /") << std::optional<QString>("/") << "/";
        QTest::newRow("a name with slashes of its own") << std::optional<QString>("/main/") << "/";
        QTest::newRow("no selected entry") << std::optional<QString>() << "/";
    }
    void unitFolderSelection()
    {
        QFETCH(std::optional<QString>, pcFolder);
        QFETCH(QString, selected);
        QCOMPARE(unitFolderItems().at(unitFolderIndexFor(pcFolder, unitFolderItems())), selected);
    }

    void progress_data()
    {
        QTest::addColumn<qint64>("pos");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");
        const int intMax = std::numeric_limits<int>::max();
        QTest::newRow("empty file") << qint64(0) << qint64(0) << 1 << 0;
        QTest::newRow("half") << qint64(500) << qint64(1000) << 1000 << 500;
        QTest::newRow("int range, done") << qint64(intMax) << qint64(intMax) << intMax << intMax;
        QTest::newRow("8 GB, half") << qint64(0x100000000LL) << qint64(0x200000000LL) << intMax << intMax / 2;
        QTest::newRow("8 GB, done") << qint64(0x200000000LL) << qint64(0x200000000LL) << intMax << intMax;
        QTest::newRow("8 GB, start") << qint64(0) << qint64(0x200000000LL) << intMax << 0;
    }
    void progress()
    {
        QFETCH(qint64, pos);
        QFETCH(qint64, size);
        QFETCH(int, maximum);
        QFETCH(int, value);
        const ProgressSpan span = progressSpan(pos, size);
        QCOMPARE(span.maximum, maximum);
        QCOMPARE(span.value, value);
    }
};

QTEST_GUILESS_MAIN(TestTransferFrames)
#include "test_transfer_frames.moc"
