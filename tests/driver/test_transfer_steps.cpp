// The SD folder and flash image uploads, step by step on a fake link, clock and window. Where a
// test needs a unit that answers, the simulated unit's engine answers what the link carried.
#include "fakes.h"
#include "session/arith.h"
#include "session/fake_link.h"
#include "transfer/image_upload.h"
#include "transfer/sd_batch.h"

#include "engine/unit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace mfd;
using namespace mfd::test;

using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

QByteArray pattern(int size, int seed)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((seed + i * 31 + i / 7) & 0xFF);
    return b;
}

Bytes toBytes(const QByteArray &b) { return Bytes(b.begin(), b.end()); }

void append(Bytes &out, const Bytes &part) { out.insert(out.end(), part.begin(), part.end()); }

struct Rig {
    FakeLink link;
    FakeClock clock;
    FakeView view;
    Slots slots_;
    SessionDriver driver{link, clock, view, slots_};
    Session s;
    QTemporaryDir dir;
    QString folder = dir.path();
    QStringList names;                  // the file list
    std::vector<std::pair<qint64, qint64>> progress;
    sim::Unit unit;                     // answers in pump()
    std::size_t fed = 0;                // bytes of link.sent the unit has seen

    Rig()
    {
        view.driver = &driver;
        link.SetActive(true);
        link.clearRecord();
        SdPageSource source{[this] { return names; }, [this] { return folder; }};
        const ProgressFn record = [this](qint64 pos, qint64 size) { progress.emplace_back(pos, size); };
        registerSdSteps(driver, source, record);
        registerImageSteps(driver, record);
        // What an earlier transfer left in the block buffer must never go out as image data.
        s.BlockBuf.fill(0xEE);
    }

    void write(const QString &name, const QByteArray &content, const QString &in = QString())
    {
        QFile f(QDir(in.isEmpty() ? folder : in).filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }

    void pass() { driver.pass(s); }

    // One pass, then the unit answers everything sent so far.
    void pump()
    {
        pass();
        if (link.sent.size() > fed) {
            const Bytes reply = unit.feed(link.sent.data() + fed, link.sent.size() - fed);
            fed = link.sent.size();
            link.Deliver(QByteArray(reinterpret_cast<const char *>(reply.data()), int(reply.size())));
        }
    }

    // Pumps until idle; the states passed through, in order.
    QList<int> runToIdle(int maxPasses = 100000)
    {
        QList<int> states;
        while (slots_.SessionState != state::Idle && maxPasses-- > 0) {
            states << slots_.SessionState;
            pump();
        }
        return states;
    }

    void loadPacket(const QString &sdFolder)
    {
        slots_.SdFolder = sdFolder;
        slots_.SessionState = state::SdBatchStart;
    }

    void sendImage(const QString &name, int disk)
    {
        slots_.ReqFileName = QDir(folder).filePath(name);
        slots_.ReqDisk = std::uint8_t(disk);
        slots_.SessionState = state::ImageOpen;
    }
};

Bytes sdFile(const QByteArray &path, const QByteArray &content, bool end = true)
{
    Bytes out{0xAA, std::uint8_t(path.size())};
    append(out, toBytes(path));
    qint64 pos = 0;
    do {
        const int n = int(std::min<qint64>(250, content.size() - pos));
        append(out, {0xAB, std::uint8_t(n)});
        append(out, toBytes(content.mid(pos, n)));
        pos += n;
    } while (pos < content.size());
    if (end)
        append(out, {0xAC, 0x00});
    return out;
}

} // namespace

class TestTransferSteps : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- SD card

    void sdFileFrames_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<int>>("blocks");
        QTest::newRow("0 bytes: one empty data frame") << 0 << QList<int>{0};
        QTest::newRow("250 bytes") << 250 << QList<int>{250};
        QTest::newRow("251 bytes") << 251 << QList<int>{250, 1};
        QTest::newRow("500 bytes") << 500 << QList<int>{250, 250};
    }
    void sdFileFrames()
    {
        QFETCH(int, size);
        QFETCH(QList<int>, blocks);
        Rig r;
        const QByteArray content = pattern(size, 7);
        r.write("logo.bmp", content);
        r.names = {"logo.bmp"};
        r.loadPacket("/3D/");
        const QList<int> states = r.runToIdle();

        // Start frame, the data frames, the end frame: each purges the input and takes a mark first.
        Bytes expected{0xAA, 0x0C, '/', '3', 'D', '/', 'l', 'o', 'g', 'o', '.', 'b', 'm', 'p'};
        QStringList ops{"clearInput", "char AA", "char 0C", "string 12"};
        QStringList panel2;
        int pos = 0;
        for (int n : blocks) {
            append(expected, {0xAB, std::uint8_t(n)});
            append(expected, toBytes(content.mid(pos, n)));
            pos += n;
            ops << "clearInput" << "char AB" << QString::asprintf("char %02X", n) << QStringLiteral("data %1").arg(n);
        }
        append(expected, {0xAC, 0x00});
        ops << "clearInput" << "char AC" << "char 00";
        QCOMPARE(r.link.sent, expected);
        QCOMPARE(r.link.ops, ops);

        QList<int> path{30, 31, 40, 42};
        for (int i = 0; i < blocks.size(); ++i)
            path << 43 << 44;
        path << 45 << 46 << 32;
        QCOMPARE(states, path);
        QCOMPARE(r.view.panel[1], QStringLiteral("Files is loaded to SD..."));
        QCOMPARE(r.view.panel[2], QString::number(size));
        // The bar is set up at the file's start and follows every acknowledged frame.
        QCOMPARE(r.progress.front(), (std::pair<qint64, qint64>(0, size)));
        QCOMPARE(int(r.progress.size()), 1 + blocks.size());
        QCOMPARE(r.progress.back(), (std::pair<qint64, qint64>(size, size)));
        QCOMPARE(r.s.FileData.size(), 0);
        QCOMPARE(r.unit.sdFiles().at(0).state, sim::SdFile::State::Written);
    }

    void sdPathsAndNames_data()
    {
        QTest::addColumn<QString>("sdFolder");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("pathBytes");
        QTest::newRow("folder typed without slashes") << "3D" << "logo.bmp" << QByteArray("3Dlogo.bmp");
        QTest::newRow("empty folder text") << "" << "a.txt" << QByteArray("a.txt");
        QTest::newRow("Cyrillic name in Windows-1251")
            << "/str/" << QString::fromUtf8("Привет.txt") << QByteArray("/str/\xCF\xF0\xE8\xE2\xE5\xF2.txt");
        QTest::newRow("255 characters") << "/" << QString(254, QLatin1Char('n')) << QByteArray("/") + QByteArray(254, 'n');
    }
    void sdPathsAndNames()
    {
        QFETCH(QString, sdFolder);
        QFETCH(QString, name);
        QFETCH(QByteArray, pathBytes);
        Rig r;
        r.write(name, "x");
        r.names = {name};
        r.loadPacket(sdFolder);
        r.runToIdle();
        QCOMPARE(r.link.sent, sdFile(pathBytes, "x"));
        QCOMPARE(r.view.panel[1], QStringLiteral("Files is loaded to SD..."));
    }

    // A path the start frame cannot carry is not sent at all; the batch goes on, and its end does
    // not claim success.
    void sdPathTheFrameCannotCarry_data()
    {
        QTest::addColumn<QString>("sdFolder");
        QTest::addColumn<QString>("bad");
        QTest::newRow("256 characters") << "/updates/" << QString(247, QLatin1Char('n'));
        QTest::newRow("outside Windows-1251") << "/" << QString::fromUtf8("日本.txt");
        QTest::newRow("accented Latin") << "/" << QString::fromUtf8("café.txt");
    }
    void sdPathTheFrameCannotCarry()
    {
        QFETCH(QString, sdFolder);
        QFETCH(QString, bad);
        Rig r;
        r.write("a.txt", "first");
        r.write(bad, "never sent");
        r.write("z.txt", "last");
        r.names = {"a.txt", bad, "z.txt"};
        r.loadPacket(sdFolder);
        QString errorShown;
        while (r.slots_.SessionState != state::Idle) {
            r.pump();
            if (r.slots_.SessionState == state::SdFileDone && r.view.panel[1].endsWith(" error"))
                errorShown = r.view.panel[1];
        }
        QCOMPARE(errorShown, QStringLiteral("File ") + sdFolder + bad + QStringLiteral(" error"));
        Bytes expected = sdFile(sdFolder.toLatin1() + "a.txt", "first");
        append(expected, sdFile(sdFolder.toLatin1() + "z.txt", "last"));
        QCOMPARE(r.link.sent, expected);
        QCOMPARE(r.view.panel[1], QStringLiteral("1 of 3 files not loaded to SD"));
    }

    void sdChecksumMismatchOnMiddleFrame()
    {
        Rig r;
        const QByteArray a = pattern(700, 1), b = pattern(10, 2);
        r.write("a.bin", a);
        r.write("b.bin", b);
        r.names = {"a.bin", "b.bin"};
        r.unit.faults().corruptAcks = {2};
        r.loadPacket("/");
        QString afterError;
        const QList<int> states = [&] {
            QList<int> st;
            while (r.slots_.SessionState != state::Idle) {
                st << r.slots_.SessionState;
                r.pump();
                if (st.back() == state::SdFileError)
                    afterError = r.view.panel[1];
            }
            return st;
        }();
        QCOMPARE(afterError, QStringLiteral("File /a.bin error"));
        // Two data frames of a.bin, no third and no end frame; b.bin starts with its start frame.
        Bytes expected{0xAA, 6, '/', 'a', '.', 'b', 'i', 'n', 0xAB, 250};
        append(expected, toBytes(a.left(250)));
        append(expected, {0xAB, 250});
        append(expected, toBytes(a.mid(250, 250)));
        append(expected, sdFile("/b.bin", b));
        QCOMPARE(r.link.sent, expected);
        QCOMPARE(states.mid(0, 10), (QList<int>{30, 31, 40, 42, 43, 44, 43, 44, 47, 32}));
        QCOMPARE(r.view.panel[1], QStringLiteral("1 of 2 files not loaded to SD"));
        QCOMPARE(r.unit.sdFiles().at(0).state, sim::SdFile::State::Abandoned);
        QCOMPARE(r.unit.sdFiles().at(1).state, sim::SdFile::State::Written);
    }

    void sdEmptyFileList()
    {
        Rig r;
        r.s.BatchList = {"old.txt"};
        r.view.panel[1] = "File /old.txt written";
        r.loadPacket("/");
        r.pass();
        QCOMPARE(r.slots_.SessionState, state::Idle);
        QVERIFY(r.link.sent.empty());
        QVERIFY(r.s.BatchList.isEmpty());
        QCOMPARE(r.view.panel[1], QStringLiteral("File /old.txt written"));
    }

    // A file gone when its turn comes holds the batch in state 40 until it is back; a folder
    // chosen meanwhile is where the remaining names are looked up.
    void sdMissingFileAndFolderChange()
    {
        Rig r;
        QTemporaryDir other;
        r.write("a.txt", "from the first folder");
        r.names = {"a.txt", "b.txt"};
        r.loadPacket("/");
        while (r.slots_.SessionState != state::SdOpenFile || r.s.BatchIndex != 1)
            r.pump();
        const std::size_t sentBefore = r.link.sent.size();
        for (int i = 0; i < 3; ++i)
            r.pump();
        QCOMPARE(r.slots_.SessionState, state::SdOpenFile);
        QCOMPARE(r.link.sent.size(), sentBefore);
        QCOMPARE(r.view.panel[1], QStringLiteral("File /a.txt written"));

        r.write("b.txt", "from the other folder", other.path());
        r.folder = other.path();
        r.runToIdle();
        const Bytes tail(r.link.sent.begin() + std::ptrdiff_t(sentBefore), r.link.sent.end());
        QCOMPARE(tail, sdFile("/b.txt", "from the other folder"));
        QCOMPARE(r.view.panel[1], QStringLiteral("Files is loaded to SD..."));
    }

    void sdLoadPacketAgainRestarts()
    {
        Rig r;
        r.write("a.txt", pattern(600, 3));
        r.write("b.txt", "b");
        r.names = {"a.txt", "b.txt"};
        r.loadPacket("/");
        while (r.slots_.SessionState != state::SdBlockAck || r.s.FilePos != 500)
            r.pump();
        r.link.clearRecord();
        r.fed = 0;
        r.loadPacket("/main/");
        r.runToIdle();
        Bytes expected = sdFile("/main/a.txt", pattern(600, 3));
        append(expected, sdFile("/main/b.txt", "b"));
        QCOMPARE(r.link.sent, expected);
    }

    // ---------------------------------------------------------------- acknowledgements

    // Noise before the lead byte is skipped one byte per pass, and no byte is read before it has
    // arrived: FakeLink throws on such a read.
    void noiseBeforeAcknowledgement_data()
    {
        QTest::addColumn<int>("ackState");
        QTest::addColumn<int>("lead");
        QTest::addColumn<int>("noise");
        QTest::addColumn<bool>("byteByByte");
        QTest::addColumn<int>("nextState");
        const struct {
            const char *name;
            int state, lead, next;
        } acks[] = {{"SD start", 42, 0xAA, 43}, {"SD data", 44, 0xAB, 45}, {"SD end", 46, 0xAC, 32},
                    {"image start", 242, 0xA3, 243}, {"image block", 244, 0xA4, 246}};
        for (const auto &a : acks)
            for (int noise : {0, 1, 3})
                for (bool split : {false, true})
                    QTest::addRow("%s, %d noise, %s", a.name, noise, split ? "byte by byte" : "whole")
                        << a.state << a.lead << noise << split << a.next;
    }
    void noiseBeforeAcknowledgement()
    {
        QFETCH(int, ackState);
        QFETCH(int, lead);
        QFETCH(int, noise);
        QFETCH(bool, byteByByte);
        QFETCH(int, nextState);
        Rig r;
        // A one-frame transfer at the waiting state, its one block already sent.
        r.s.FileData = "abc";
        r.s.FilePos = 3;
        r.s.BlockSum = 0x26;
        r.s.ReturnState = state::SdFileDone;
        r.s.RxMark = r.link.TotalReceived();
        r.slots_.SessionState = ackState;
        QByteArray reply(noise, char(0x55));
        reply += char(lead);
        reply += char(0x26); // the checksum where there is one, else filler
        if (!byteByByte) {
            r.link.Deliver(reply);
            for (int i = 0; i < noise; ++i) {
                r.pass();
                QCOMPARE(r.slots_.SessionState, ackState);
            }
            r.pass();
        } else {
            for (int i = 0; i < reply.size(); ++i) {
                QCOMPARE(r.slots_.SessionState, ackState);
                r.link.Deliver(reply.mid(i, 1));
                r.pass();
                // Taken at most one byte per pass, the lead and its checksum together.
                QVERIFY(r.link.Available() <= std::size_t(i + 1));
            }
        }
        QCOMPARE(r.slots_.SessionState, nextState);
        const bool checksummed = lead == 0xAB || lead == 0xA4;
        QCOMPARE(r.link.Available(), checksummed ? 0u : 1u);
    }

    // After a late lead byte the checksum is awaited, not read early nor taken from the noise.
    void lateLeadThenChecksum()
    {
        Rig r;
        r.s.FileData = QByteArray(300, 'x');
        r.s.FilePos = 250;
        r.s.BlockSum = 0x10;
        r.s.RxMark = r.link.TotalReceived();
        r.slots_.SessionState = state::SdBlockAck;
        r.link.Deliver({0x55, 0xAB});
        r.pass(); // drops the noise
        r.pass(); // the lead is there, its checksum is not
        r.pass();
        QCOMPARE(r.slots_.SessionState, state::SdBlockAck);
        QCOMPARE(r.link.Available(), 1u);
        r.link.Deliver({0x10});
        r.pass();
        QCOMPARE(r.slots_.SessionState, state::SdSendBlock);
    }

    // ---------------------------------------------------------------- flash image

    void imageBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QStringList>("panel2");
        QTest::newRow("0 bytes: one block of zeros") << 0 << QStringList{"0"};
        QTest::newRow("1024 bytes") << 1024 << QStringList{"1024"};
        QTest::newRow("1025 bytes") << 1025 << QStringList{"1024", "1025"};
        QTest::newRow("3000 bytes") << 3000 << QStringList{"1024", "2048", "3000"};
    }
    void imageBlocks()
    {
        QFETCH(int, size);
        QFETCH(QStringList, panel2);
        Rig r;
        const QByteArray content = pattern(size, 9);
        r.write("disk2.imz", content);
        r.sendImage("disk2.imz", 2);
        QStringList shown2;
        while (r.slots_.SessionState != state::Idle) {
            const int st = r.slots_.SessionState;
            r.pump();
            if (st == state::ImageSendBlock)
                shown2 << r.view.panel[2];
        }
        QCOMPARE(shown2, panel2);

        Bytes expected{0xA3, 0x01, 0x02};
        QStringList ops{"clearInput", "char A3", "char 01", "char 02"};
        for (int b = 0; b < panel2.size(); ++b) {
            QByteArray block = content.mid(b * 1024, 1024);
            block.append(QByteArray(1024 - block.size(), '\0'));
            append(expected, {0xA4, 0x00});
            append(expected, toBytes(block));
            ops << "clearInput" << "char A4" << "char 00" << "data 1024";
        }
        QCOMPARE(r.link.sent, expected);
        QCOMPARE(r.link.ops, ops);
        QCOMPARE(r.view.panel[1], QStringLiteral("File disk2.imz written"));
        QCOMPARE(r.progress.back(), (std::pair<qint64, qint64>(size, size)));
        QCOMPARE(r.s.FileData.size(), 0);
    }

    void imageStatusWhileLoading()
    {
        Rig r;
        r.write("sys.imz", pattern(10, 1));
        r.sendImage("sys.imz", 0);
        r.pump();
        QCOMPARE(r.view.panel[1], QStringLiteral("Loading file sys.imz to External Flash..."));
        r.pump(); // start acknowledged
        r.pass(); // block sent; the unit has not answered yet
        r.pass();
        QCOMPARE(r.view.panel[6], QStringLiteral("0"));
        r.link.Deliver({0xA4});
        r.pass();
        QCOMPARE(r.view.panel[6], QStringLiteral("1"));
        QCOMPARE(r.slots_.SessionState, state::ImageBlockAck);
    }

    void imageChecksumMismatch_data()
    {
        QTest::addColumn<int>("corrupt");
        QTest::newRow("first of three") << 1;
        QTest::newRow("second of three") << 2;
    }
    void imageChecksumMismatch()
    {
        QFETCH(int, corrupt);
        Rig r;
        r.write("disk1.imz", pattern(3000, 5));
        r.unit.faults().corruptAcks = {std::uint64_t(corrupt)};
        r.sendImage("disk1.imz", 1);
        const QList<int> states = r.runToIdle();
        QCOMPARE(states.back(), state::ImageError);
        QCOMPARE(r.view.panel[1], QStringLiteral("File disk1.imz error"));
        QCOMPARE(r.link.sent.size(), std::size_t(3 + corrupt * 1026));
        QCOMPARE(r.unit.images()[1].blocks, std::uint32_t(corrupt));
        QCOMPARE(r.s.FileData.size(), 0);
    }

    void imageWaitsForItsFile()
    {
        Rig r;
        r.sendImage("later.imz", 3);
        for (int i = 0; i < 3; ++i)
            r.pump();
        QCOMPARE(r.slots_.SessionState, state::ImageOpen);
        QVERIFY(r.link.sent.empty());
        r.write("later.imz", "x");
        r.runToIdle();
        QCOMPARE(r.view.panel[1], QStringLiteral("File later.imz written"));
    }

    // Throughput counts from the start acknowledgement for an image and from the start frame for
    // an SD file, across the tick counter's wrap.
    void throughputMark_data()
    {
        QTest::addColumn<bool>("image");
        QTest::addColumn<int>("size");
        QTest::addColumn<QString>("shown");
        QTest::newRow("image, 4096 bytes in 1023 ticks") << true << 4096 << "4000";
        QTest::newRow("SD, 2500 bytes in 499 ticks") << false << 2500 << "5000";
    }
    void throughputMark()
    {
        QFETCH(bool, image);
        QFETCH(int, size);
        QFETCH(QString, shown);
        Rig r;
        r.clock.now = 0xFFFFFF00u;
        r.write("f.bin", pattern(size, 4));
        if (image) {
            r.sendImage("f.bin", 0);
        } else {
            r.names = {"f.bin"};
            r.loadPacket("/");
            while (r.slots_.SessionState != state::SdOpenFile)
                r.pump();
        }
        r.pump();   // the start frame: SD counts from here
        r.clock.now += 300;
        const std::uint32_t mark = r.clock.now;
        r.pump();   // the start acknowledgement: the image counts from here
        const std::uint32_t from = image ? mark : mark - 300;
        const std::uint32_t elapsed = image ? 1023 : 499;
        const int last = image ? state::ImageWritten : state::SdSendEnd;
        while (r.slots_.SessionState != last) {
            if (r.slots_.SessionState == (image ? state::ImageBlockAck : state::SdBlockAck) && r.s.FilePos == size)
                r.clock.now = from + elapsed;
            r.pump();
        }
        QCOMPARE(r.view.panel[3], shown);
    }
};

QTEST_GUILESS_MAIN(TestTransferSteps)
#include "test_transfer_steps.moc"
