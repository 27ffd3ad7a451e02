// Feeds the session driver arbitrary reply bytes, arrival splits, page actions and link events,
// through the real window on a fake link and a fake clock. It aborts when a pass
//  - throws (a Read of a byte that has not arrived shows up here as a LinkError),
//  - does not return within PassLimitMs,
//  - or when, with nothing new arriving, the passes never come to rest (the polling loop would
//    then spin the processor instead of waiting for an event).
//
// Input: a stream of operations, one byte each, most followed by their own argument bytes.

#include "app/main_window.h"
#include "fakes.h"
#include "session/fake_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace mfd;

namespace {

constexpr long PassLimitMs = 2000;

// Only the frame sent last is needed, to build a matching acknowledgement; older bytes are
// dropped so long runs stay small.
class FrameLink : public FakeLink {
public:
    void ClearDeviceInput() override
    {
        FakeLink::ClearDeviceInput();
        clearRecord();
    }
    void ClearDeviceBuffers() override
    {
        FakeLink::ClearDeviceBuffers();
        clearRecord();
    }
};

class Input {
public:
    Input(const std::uint8_t *d, std::size_t n) : d_(d), n_(n) {}
    bool done() const { return pos_ >= n_; }
    std::uint8_t next() { return pos_ < n_ ? d_[pos_++] : 0; }
    QByteArray take(std::size_t n)
    {
        n = std::min(n, n_ - pos_);
        QByteArray b(reinterpret_cast<const char *>(d_ + pos_), qsizetype(n));
        pos_ += n;
        return b;
    }

private:
    const std::uint8_t *d_;
    std::size_t n_;
    std::size_t pos_ = 0;
};

[[noreturn]] void fail(const char *what, int state, const char *detail)
{
    std::fprintf(stderr, "fuzz_driver: %s in state %d: %s\n", what, state, detail);
    std::abort();
}

struct Harness {
    FrameLink link;
    test::FakeClock clock;
    QTemporaryDir dir;
    std::unique_ptr<TForm3> window;
    std::vector<QAbstractButton *> actions;
    QString imagePath;
    QString sdFile;

    Harness()
    {
        const QDir d(dir.path());
        const auto write = [&](const QString &name, qsizetype size) {
            QFile f(d.filePath(name));
            f.open(QIODevice::WriteOnly);
            QByteArray b(size, Qt::Uninitialized);
            for (qsizetype i = 0; i < size; ++i)
                b[i] = char(i * 7 + 3);
            f.write(b);
        };
        d.mkpath(QStringLiteral("sd"));
        write(QStringLiteral("sd/a.bin"), 600);
        write(QStringLiteral("sd/empty.bin"), 0);
        write(QStringLiteral("sd/b.bin"), 251);
        write(QStringLiteral("img.imz"), 2500);
        imagePath = d.filePath(QStringLiteral("img.imz"));
        sdFile = d.filePath(QStringLiteral("sd/b.bin"));

        window = std::make_unique<TForm3>(link, clock);
        window->setErrorReporter([](const QString &) {});
        window->findChild<SdPage *>()->folderChooser()->setDirectory(d.filePath(QStringLiteral("sd")));
        window->findChild<QLineEdit *>(QStringLiteral("Edit5"))->setText(imagePath);
        window->findChild<QLineEdit *>(QStringLiteral("Edit11"))->setText(d.filePath(QStringLiteral("missing.imz")));

        // Every page action that sends something; pickers (file dialogs), "Connect" and "Exit"
        // stay out: the harness is the loop.
        QStringList names{QStringLiteral("BitBtn9"), QStringLiteral("BitBtn11"), QStringLiteral("BitBtn13"),
                          QStringLiteral("BitBtn18"), QStringLiteral("BitBtn19"), QStringLiteral("CheckBox1")};
        for (int i = 1; i <= 42; ++i)
            if (i != 2 && i != 8)
                names << QStringLiteral("Button%1").arg(i);
        for (const QString &n : names)
            if (auto *b = window->findChild<QAbstractButton *>(n))
                actions.push_back(b);
    }

    Slots &rq() { return window->requests(); }

    void pass(Session &s)
    {
        const int before = rq().SessionState;
        const auto t0 = std::chrono::steady_clock::now();
        try {
            window->driver().pass(s);
        } catch (const std::exception &e) {
            fail("pass threw", before, e.what());
        }
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
        if (ms.count() > PassLimitMs)
            fail("pass did not return", before, "time limit");
    }

    // Passes with nothing new arriving, until one changes nothing the loop watches; a pass that
    // only reads a pending byte counts as change, so the bound grows with what is pending.
    void settle(Session &s)
    {
        const std::size_t limit = 2 * link.Available() + 64;
        for (std::size_t i = 0; i < limit; ++i) {
            const int st = rq().SessionState;
            const std::uint32_t total = link.TotalReceived();
            const std::size_t avail = link.Available();
            const bool active = link.Active();
            pass(s);
            if (rq().SessionState == st && link.TotalReceived() == total && link.Available() == avail
                && link.Active() == active)
                return;
        }
        fail("passes never rest", rq().SessionState, "no event arrived, yet every pass changed something");
    }

    // The answer a well-behaved unit would give to the frame sent last; corrupt flips its checksum.
    QByteArray answer(Input &in, bool corrupt)
    {
        const std::vector<std::uint8_t> &f = link.sent;
        if (f.empty())
            return {};
        const std::uint8_t lead = f[0];
        const auto sum = [&](std::size_t from) {
            std::uint8_t v = 0;
            for (std::size_t i = from; i < f.size(); ++i)
                v = std::uint8_t(v + f[i]);
            return corrupt ? std::uint8_t(v ^ 0x5A) : v;
        };
        QByteArray r;
        switch (lead) {
        case lead::Command: {
            const int code = f.size() > 2 ? f[2] : -1;
            int length = 0;
            if (code == code::DiskSizes)
                length = 6;
            else if (code == code::ReadExtraCoding)
                length = 10;
            else if (code == code::ReadConfig || code == code::WipeSystemSector || code == code::ResetAllBc
                     || code == code::ResetServiceRecords)
                length = 28;
            else if (code == code::ReadGearbox)
                length = 8;
            r = in.take(std::size_t(length));
            r.append(QByteArray(length - r.size(), '\x01'));
            break;
        }
        case lead::SdData:
        case lead::ImageBlock:
            r.append(char(lead));
            r.append(char(sum(2)));
            break;
        default:
            r.append(char(lead));
            r.append('\0');
            break;
        }
        return r;
    }

    void run(Input &in)
    {
        link.SetActive(false);
        link.failOpens = 0;
        link.SetActive(true);
        link.clearRecord();
        // A received total just short of the wrap, for inputs that ask for it.
        const std::uint8_t first = in.next();
        if (first & 1)
            link.SetTotalReceived(0xFFFFFF00u + first);
        rq() = Slots{};
        rq().SessionState = state::SessionOpening;
        Session s;
        QFile::rename(sdFile + QStringLiteral(".gone"), sdFile);

        while (!in.done()) {
            switch (in.next() % 9) {
            case 0:
                link.Deliver(in.take(std::size_t(in.next() % 64) + 1));
                break;
            case 1:
                pass(s);
                break;
            case 2:
                if (!actions.empty())
                    emit actions[in.next() % actions.size()]->clicked(false);
                break;
            case 3: {
                const std::uint8_t how = in.next();
                const QByteArray r = answer(in, how & 1);
                // Whole, or cut at a point chosen by the input with passes in between.
                const qsizetype cut = r.isEmpty() ? 0 : qsizetype(how >> 1) % (r.size() + 1);
                link.Deliver(r.left(cut));
                pass(s);
                link.Deliver(r.mid(cut));
                break;
            }
            case 4:
                settle(s);
                break;
            case 5:
                clock.now += std::uint32_t(in.next()) * 16u;
                break;
            case 6:
                switch (in.next() % 4) {
                case 0: // the device vanishes
                    link.InjectFault(QStringLiteral("device gone"));
                    break;
                case 1: // another port: the total starts again from 0
                    link.SetActive(true);
                    break;
                case 2:
                    QFile::rename(sdFile, sdFile + QStringLiteral(".gone"));
                    break;
                default:
                    QFile::rename(sdFile + QStringLiteral(".gone"), sdFile);
                    break;
                }
                break;
            case 7:
                for (int k = in.next() % 32 + 1; k > 0; --k)
                    pass(s);
                break;
            default:
                link.Deliver(QByteArray(in.next() % 8 + 1, char(in.next())));
                break;
            }
        }
        settle(s);
    }
};

Harness *harness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication app(*argc, *argv);
    harness = new Harness;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Input in(data, size);
    harness->run(in);
    return 0;
}
