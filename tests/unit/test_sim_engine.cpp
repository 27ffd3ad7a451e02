// The simulated unit's protocol engine: replies byte for byte, whatever the split of the input;
// the records it keeps; where received files may go; checksums, faults and malformed input.

#include "engine/unit.h"

#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>

using namespace mfd::sim;
using Bytes = std::vector<std::uint8_t>;
Q_DECLARE_METATYPE(Bytes)

namespace {

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes &p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes cmd(std::uint8_t code, const Bytes &payload = {})
{
    return cat({{0xA6, std::uint8_t(1 + payload.size()), code}, payload});
}

template <std::size_t N> Bytes bytes(const std::array<std::uint8_t, N> &a) { return Bytes(a.begin(), a.end()); }

Bytes sdStart(const std::string &path)
{
    return cat({{0xAA, std::uint8_t(path.size())}, Bytes(path.begin(), path.end())});
}

Bytes block(std::uint8_t seed)
{
    Bytes b{0xA4, 0x00};
    for (int i = 0; i < 1024; ++i)
        b.push_back(std::uint8_t(seed + i * 7));
    return b;
}

std::uint8_t blockSum(std::uint8_t seed)
{
    std::uint8_t s = 0;
    for (int i = 0; i < 1024; ++i)
        s = std::uint8_t(s + std::uint8_t(seed + i * 7));
    return s;
}

const Bytes Config = bytes(Unit::defaultConfig());
const Bytes Extra = bytes(Unit::defaultExtra());
const Bytes Gears = bytes(Unit::defaultGears());

Bytes configReply(std::uint8_t code) { return cat({{0xA6, code}, Config}); }

const Bytes NewConfig{0x10, 0x27, 0, 0, 75, 111, 1, 1, 0x20, 0x26, 0, 0, 1, 0, 0, 0, 1, 1, 15, 9, 4, 1, 19, 130, 100, 74};

} // namespace

class TestSimEngine : public QObject {
    Q_OBJECT

private slots:
    void replies_data()
    {
        QTest::addColumn<Bytes>("input");
        QTest::addColumn<Bytes>("expected");
        QTest::newRow("disk sizes") << cmd(32) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("handshake") << Bytes{0xA1, 0x04, 0x4B, 0x6F, 0x72, 0x76} << Bytes{0xA1, 0x00};
        QTest::newRow("read config 24") << cmd(24) << configReply(24);
        QTest::newRow("wipe 16") << cmd(16) << configReply(16);
        QTest::newRow("reset BC 40") << cmd(40) << configReply(40);
        QTest::newRow("reset service 55") << cmd(55) << configReply(55);
        QTest::newRow("read extra") << cmd(23) << cat({{0xA6, 23}, Extra});
        QTest::newRow("read gears") << cmd(36) << cat({{0xA6, 36}, Gears});
        QTest::newRow("save then read config") << cat({cmd(22, NewConfig), cmd(24)}) << cat({{0xA6, 24}, NewConfig});
        QTest::newRow("save then read extra")
            << cat({cmd(21, {0x81, 0x6E, 0x42, 0x0C, 0x14, 0x33, 0x44, 0x82}), cmd(23)})
            << Bytes{0xA6, 23, 0x81, 0x6E, 0x42, 0x0C, 0x14, 0x33, 0x44, 0x82};
        QTest::newRow("save then read gears")
            << cat({cmd(35, {0x5B, 0, 0x3C, 0, 0x28, 0, 0x21, 0, 0x1C, 0, 0x05, 0}), cmd(36)})
            << Bytes{0xA6, 36, 0x5B, 0x3C, 0x28, 0x21, 0x1C, 0x05};
        QTest::newRow("one-shot commands answer nothing")
            << cat({cmd(1), cmd(25), cmd(31), cmd(61), cmd(50, {70}), cmd(20, {32}), cmd(30, Bytes(34, 9))}) << Bytes{};
        QTest::newRow("sd file") << cat({sdStart("/3D/logo.bmp"), {0xAB, 3, 0x80, 0x90, 0x10}, {0xAC, 0x00}})
                                 << Bytes{0xAA, 0x00, 0xAB, 0x20, 0xAC, 0x00};
        QTest::newRow("sd empty data frame") << cat({sdStart("a"), {0xAB, 0x00}, {0xAC, 0x00}})
                                             << Bytes{0xAA, 0x00, 0xAB, 0x00, 0xAC, 0x00};
        QTest::newRow("sd path escaping refused, its data acked wrong")
            << cat({sdStart("/3D/../../etc/x"), {0xAB, 1, 0x05}, {0xAC, 0x00}}) << Bytes{0xAA, 0x01, 0xAB, 0xFA, 0xAC, 0x03};
        QTest::newRow("image") << cat({{0xA3, 0x01, 0x02}, block(1), block(200)})
                               << Bytes{0xA3, 0x00, 0xA4, blockSum(1), 0xA4, blockSum(200)};
        QTest::newRow("image disk out of range") << cat({{0xA3, 0x01, 0x04}, block(3)})
                                                 << Bytes{0xA3, 0x01, 0xA4, std::uint8_t(blockSum(3) ^ 0xFF)};
        QTest::newRow("noise skipped") << cat({{0x00, 0xFF, 0x55, 0x20}, cmd(32)}) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("length 0 command skipped") << cat({{0xA6, 0x00}, cmd(32)}) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("a lying save length stores nothing") << cat({cmd(22, Bytes(5, 0xEE)), cmd(24)}) << configReply(24);
    }

    void replies()
    {
        QFETCH(Bytes, input);
        QFETCH(Bytes, expected);
        Unit whole;
        QCOMPARE(whole.feed(input), expected);
        QCOMPARE(whole.pendingBytes(), std::size_t(0));

        // Split in two at every boundary, and one byte at a time: same replies.
        for (std::size_t k = 0; k <= input.size(); ++k) {
            Unit u;
            Bytes got = u.feed(input.data(), k);
            const Bytes rest = u.feed(input.data() + k, input.size() - k);
            got.insert(got.end(), rest.begin(), rest.end());
            QVERIFY2(got == expected, qPrintable(QString("split at %1").arg(k)));
            QCOMPARE(u.frames(), whole.frames());
        }
        Unit bytewise;
        Bytes got;
        for (std::uint8_t b : input) {
            const Bytes r = bytewise.feed(&b, 1);
            got.insert(got.end(), r.begin(), r.end());
        }
        QCOMPARE(got, expected);
    }

    void defaultConfigLayout()
    {
        const auto c = Unit::defaultConfig();
        QCOMPARE(c[0] | c[1] << 8 | c[2] << 16 | c[3] << 24, 712);
        QCOMPARE(int(c[4]), 77);
        QCOMPARE(int(c[5]), 130);
        QCOMPARE(c[8] | c[9] << 8 | c[10] << 16 | c[11] << 24, 312);
        QCOMPARE(int(c[12]), 1);
        QVERIFY(c[19] != 0);
        QCOMPARE(int(c[22]), 2);
        QCOMPARE(int(c[25]), 23);
    }

    void keeps()
    {
        Unit u;
        u.setDiskSizes({1, 2, 3, 4}, 5);
        const Bytes g12(12, 0x11), g30(30, 0x30), g34(34, 0x34);
        const Bytes in = cat({{0xA1, 4, 1, 2, 3, 4}, cmd(22, NewConfig), cmd(30, g12), cmd(30, g30), cmd(30, g34),
                              cmd(30, Bytes(7, 1)), cmd(1), cmd(50, {70}), cmd(31), cmd(61), cmd(32)});
        QCOMPARE(u.feed(in), (Bytes{0xA1, 0x00, 0x20, 1, 2, 3, 4, 5}));
        QCOMPARE(bytes(u.config()), NewConfig);
        QCOMPARE(u.gamma().at(12), g12);
        QCOMPARE(u.gamma().at(30), g30);
        QCOMPARE(u.gamma().at(34), g34);
        QCOMPARE(u.gamma().size(), std::size_t(3));
        QCOMPARE(u.malformedFrames(), std::uint64_t(1));
        QCOMPARE(u.handshakeCode().value(), (std::array<std::uint8_t, 4>{1, 2, 3, 4}));
        QCOMPARE(u.commands().size(), std::size_t(4));
        QCOMPARE(int(u.commands()[0].code), 1);
        QVERIFY(!u.commands()[0].arg());
        QCOMPARE(int(u.commands()[1].code), 50);
        QCOMPARE(int(u.commands()[1].arg().value()), 70);
        QCOMPARE(int(u.commands()[2].code), 31);
        QCOMPARE(int(u.commands()[3].code), 61);
        QCOMPARE(u.frames().size(), std::size_t(11));
        QCOMPARE(u.frames()[1], cmd(22, NewConfig));
    }

    void files()
    {
        Unit u;
        Bytes data(600);
        for (std::size_t i = 0; i < data.size(); ++i)
            data[i] = std::uint8_t(i * 13);
        Bytes in = sdStart("\\main\\f.bin");
        for (std::size_t off = 0; off < data.size(); off += 250) {
            const std::size_t n = std::min<std::size_t>(250, data.size() - off);
            in.push_back(0xAB);
            in.push_back(std::uint8_t(n));
            in.insert(in.end(), data.begin() + std::ptrdiff_t(off), data.begin() + std::ptrdiff_t(off + n));
        }
        in.insert(in.end(), {0xAC, 0x00});
        in.insert(in.end(), {0xA3, 0x01, 0x00});
        const Bytes b = block(9);
        in.insert(in.end(), b.begin(), b.end());
        u.feed(in);

        const auto &mem = dynamic_cast<MemoryStorage &>(u.storage()).files();
        QCOMPARE(mem.at("main/f.bin"), data);
        QCOMPARE(u.sdFiles().size(), std::size_t(1));
        QCOMPARE(u.sdFiles()[0].sentPath, std::string("\\main\\f.bin"));
        QCOMPARE(u.sdFiles()[0].size, std::uint64_t(600));
        QCOMPARE(u.sdFiles()[0].blocks, 3u);
        QVERIFY(u.sdFiles()[0].state == SdFile::State::Written);
        QCOMPARE(u.sdFiles()[0].hash.hex(), Sha256::hexOf(data.data(), data.size()));
        QCOMPARE(u.images()[0].data, Bytes(b.begin() + 2, b.end()));
        QCOMPARE(mem.at("disk0.img"), u.images()[0].data);
        QVERIFY(!u.images()[1].started);
        QVERIFY(u.dumpState().find("sdfile \\x5Cmain\\x5Cf.bin stored main/f.bin state written size 600") != std::string::npos);
    }

    void sha256()
    {
        QCOMPARE(Sha256::hexOf(nullptr, 0), std::string("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
        const std::string abc = "abc";
        QCOMPARE(Sha256::hexOf(reinterpret_cast<const std::uint8_t *>(abc.data()), 3),
                 std::string("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        const std::string m(1000, 'a');
        Sha256 split;
        split.update(reinterpret_cast<const std::uint8_t *>(m.data()), 63);
        split.update(reinterpret_cast<const std::uint8_t *>(m.data()) + 63, m.size() - 63);
        QCOMPARE(split.hex(), Sha256::hexOf(reinterpret_cast<const std::uint8_t *>(m.data()), m.size()));
        QCOMPARE(split.hex(), std::string("41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3"));
    }

    void sdPaths_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("folder item") << "/3D/logo.bmp" << "3D/logo.bmp";
        QTest::newRow("no slashes") << "3Dlogo.bmp" << "3Dlogo.bmp";
        QTest::newRow("backslashes") << "\\main\\a.txt" << "main/a.txt";
        QTest::newRow("dot and doubled") << "a/./b//c" << "a/b/c";
        QTest::newRow("unc-like") << "\\\\server\\share\\x" << "server/share/x";
        QTest::newRow("dotdot") << "../x" << "";
        QTest::newRow("dotdot deep") << "/3D/../../x" << "";
        QTest::newRow("dotdot backslash") << "a\\..\\..\\x" << "";
        QTest::newRow("dots") << "/.../x" << "";
        QTest::newRow("drive letter") << "C:\\x" << "";
        QTest::newRow("stream") << "a.txt:evil" << "";
        QTest::newRow("control byte") << QString("a\nb") << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("only slash") << "/" << "";
        QTest::newRow("trailing dotdot") << "a/.." << "";
    }

    void sdPaths()
    {
        QFETCH(QString, sent);
        QFETCH(QString, stored);
        const std::string s = sent.toStdString();
        const auto rel = sdRelativePath(s);
        QCOMPARE(rel ? QString::fromStdString(*rel) : QString(), stored);

        // On disk: a refused path writes nothing anywhere; an accepted one lands under the root.
        QTemporaryDir tmp;
        const std::filesystem::path root = std::filesystem::path(tmp.path().toStdString()) / "root";
        Unit u(std::make_unique<DirectoryStorage>(root));
        const Bytes reply = u.feed(cat({sdStart(s), {0xAB, 2, 'h', 'i'}, {0xAC, 0x00}}));
        QCOMPARE(reply[1], std::uint8_t(stored.isEmpty() ? status::Refused : status::Ok));
        std::size_t outside = 0;
        for (const auto &e : std::filesystem::recursive_directory_iterator(tmp.path().toStdString()))
            if (e.is_regular_file() && e.path().string().rfind(root.string(), 0) != 0)
                ++outside;
        QCOMPARE(outside, std::size_t(0));
        if (!stored.isEmpty())
            QCOMPARE(std::filesystem::file_size(root / stored.toStdString()), std::uintmax_t(2));
    }

    void symlinkInRootRefused()
    {
        QTemporaryDir tmp;
        const std::filesystem::path base(tmp.path().toStdString());
        std::filesystem::create_directories(base / "root");
        std::filesystem::create_directories(base / "elsewhere");
        std::filesystem::create_directory_symlink(base / "elsewhere", base / "root" / "link");
        Unit u(std::make_unique<DirectoryStorage>(base / "root"));
        QCOMPARE(u.feed(cat({sdStart("/link/x"), {0xAB, 1, 7}})), (Bytes{0xAA, status::StoreFailed, 0xAB, 0xF8}));
        QVERIFY(std::filesystem::is_empty(base / "elsewhere"));
    }

    void faults()
    {
        const Bytes sd = cat({sdStart("f"), {0xAB, 1, 1}, {0xAB, 1, 2}, {0xAB, 1, 3}, {0xAC, 0}});
        {
            Unit u;
            u.faults().corruptAcks = {2};
            QCOMPARE(u.feed(sd), (Bytes{0xAA, 0, 0xAB, 1, 0xAB, 0xFD, 0xAB, 3, 0xAC, 0}));
        }
        {
            Unit u;
            u.faults().noiseBytes = 3;
            QCOMPARE(u.feed(cmd(32)), (Bytes{0x55, 0x55, 0x55, 0x20, 8, 16, 4, 0, 2}));
        }
        {
            Unit u;
            u.faults().silent = true;
            QCOMPARE(u.feed(cat({cmd(22, NewConfig), cmd(24)})), Bytes{});
            QCOMPARE(bytes(u.config()), NewConfig);
        }
        {
            Unit u;
            u.faults().silentAfterFrames = 2;
            QCOMPARE(u.feed(cat({cmd(32), cmd(1), cmd(32)})), (Bytes{0x20, 8, 16, 4, 0, 2}));
        }
        {
            Unit u;
            u.faults().splitAt = 3;
            u.faults().splitDelayMs = 40;
            u.faults().delayMs = 7;
            std::vector<Reply> out;
            const Bytes in = cmd(24);
            u.feed(in.data(), in.size(), out);
            QCOMPARE(out.size(), std::size_t(1));
            QCOMPARE(out[0].bytes, configReply(24));
            QCOMPARE(out[0].splitAt, std::size_t(3));
            QCOMPARE(out[0].splitDelayMs, 40u);
            QCOMPARE(out[0].delayMs, 7u);
        }
    }

    // The faults the reliability matrix relies on, each on the bytes it changes.
    void replyFaults_data()
    {
        QTest::addColumn<Bytes>("in");
        QTest::addColumn<Bytes>("out");
        QTest::addColumn<int>("fault");
        const Bytes three = cat({cmd(32), cmd(1), cmd(32)});
        const Bytes sizes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("extra bytes after every reply") << three << cat({sizes, {0xEE, 0xEE}, sizes, {0xEE, 0xEE}}) << 0;
        QTest::newRow("second reply dropped") << cat({cmd(32), cmd(32), cmd(32)}) << cat({sizes, sizes}) << 1;
        QTest::newRow("flood before the third frame's reply") << three << cat({sizes, {0x3C, 0x5E, 0x81}, sizes}) << 2;
        QTest::newRow("flood after the first frame's reply") << three << cat({sizes, {0x3C, 0x5E, 0x81}, sizes}) << 3;
    }

    void replyFaults()
    {
        QFETCH(Bytes, in);
        QFETCH(Bytes, out);
        QFETCH(int, fault);
        Unit u;
        Faults &f = u.faults();
        switch (fault) {
        case 0:
            f.extraBytes = 2;
            break;
        case 1:
            f.dropReplies = {2};
            break;
        case 2:
            f.floodBytes = 3;
            f.floodBefore = 3;
            break;
        case 3:
            f.floodBytes = 3;
            f.floodAfter = 1;
            break;
        }
        QCOMPARE(u.feed(in), out);
        QCOMPARE(u.frameCount(), std::uint64_t(3));
    }

    void byteGapCarried()
    {
        Unit u;
        u.faults().byteGapMs = 3;
        std::vector<Reply> out;
        const Bytes in = cmd(23);
        u.feed(in.data(), in.size(), out);
        QCOMPARE(out.size(), std::size_t(1));
        QCOMPARE(out[0].byteGapMs, 3u);
        QCOMPARE(out[0].bytes, cat({{0xA6, 23}, Extra}));
    }

    // Frames whose length byte lies: a start frame that claims more path than comes swallows the
    // following frames as its path, which the unit then refuses or stores under its own folder;
    // a 0xAB that claims more data than the shell sent is completed by the next frame's bytes.
    // Either way nothing is stored outside, and the unit answers the next whole frame.
    void lyingLengths_data()
    {
        QTest::addColumn<Bytes>("in");
        QTest::addColumn<Bytes>("out");
        QTest::newRow("path longer than sent")
            << cat({{0xAA, 10, '/', '.', '.', '/'}, {0xAB, 1, 0x2F}, {0xAC, 0x00}, cmd(32), cmd(32)})
            << Bytes{0xAA, status::Refused, 0x20, 8, 16, 4, 0, 2};
        QTest::newRow("data longer than sent")
            << cat({sdStart("f"), {0xAB, 5, 1, 2}, {0xAC, 0x00}, cmd(32), cmd(32)})
            << Bytes{0xAA, 0, 0xAB, 0x55, 0x20, 8, 16, 4, 0, 2};
        QTest::newRow("unknown lead bytes skipped") << cat({{0x00, 0xFF, 0x42}, cmd(32)}) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("unknown code kept, not answered") << cat({cmd(200, {1, 2, 3}), cmd(32)}) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("command with no code") << cat({{0xA6, 0x00}, cmd(32)}) << Bytes{0x20, 8, 16, 4, 0, 2};
        QTest::newRow("image start with two disks") << cat({{0xA3, 2, 1, 1}, block(1)})
                                                    << Bytes{0xA3, status::Refused, 0xA4, std::uint8_t(blockSum(1) ^ 0xFF)};
        QTest::newRow("end with no file open") << Bytes{0xAC, 0x00} << Bytes{0xAC, status::NoFile};
    }

    void lyingLengths()
    {
        QFETCH(Bytes, in);
        QFETCH(Bytes, out);
        QTemporaryDir tmp;
        const std::filesystem::path base(tmp.path().toStdString());
        Unit u(std::make_unique<DirectoryStorage>(base / "root"));
        // Every split gives the same answer.
        for (std::size_t step : {in.size(), std::size_t(1), std::size_t(3)}) {
            Unit v;
            Bytes got;
            for (std::size_t off = 0; off < in.size(); off += step) {
                const Bytes r = v.feed(in.data() + off, std::min(step, in.size() - off));
                got.insert(got.end(), r.begin(), r.end());
            }
            QCOMPARE(got, out);
        }
        QCOMPARE(u.feed(in), out);
        for (const auto &e : std::filesystem::recursive_directory_iterator(base))
            QVERIFY2(e.path().string().rfind((base / "root").string(), 0) == 0, e.path().c_str());
    }

    void malformed()
    {
        Unit u;
        // A cut-off frame waits for the rest; nothing is answered until it is whole.
        QCOMPARE(u.feed(Bytes{0xA4, 0x00, 1, 2, 3}), Bytes{});
        QCOMPARE(u.pendingBytes(), std::size_t(5));
        // Deterministic garbage of every lead byte and length: no crash, the stream stays usable.
        std::uint32_t x = 12345;
        Bytes junk;
        for (int i = 0; i < 200000; ++i) {
            x = x * 1103515245u + 12345u;
            junk.push_back(std::uint8_t(x >> 16));
        }
        for (std::size_t off = 0; off < junk.size(); off += 977)
            u.feed(junk.data() + off, std::min<std::size_t>(977, junk.size() - off));
        QVERIFY(u.skippedBytes() > 0);
        QVERIFY(u.frameCount() > 0);
        // A stuck partial frame is at most one image block long; 1026 filler bytes flush it.
        u.feed(Bytes(1026, 0x00));
        QCOMPARE(u.feed(cmd(32)), (Bytes{0x20, 8, 16, 4, 0, 2}));
        QVERIFY(!u.dumpState().empty());
    }
};

QTEST_GUILESS_MAIN(TestSimEngine)
#include "test_sim_engine.moc"
