// Soak: a long upload through a unit that gets checksums wrong and puts noise before every
// reply, then every stored file compared with its source. Drives the real window ("Connect",
// "Load Packet", "Send") on a pseudo-terminal served by the simulated unit.
//
//   build/bench/mfd-bench-soak [files, default 500] [images, default 3] [image MB, default 8]
//                              [corrupted acks per 1000, default 10] [noise bytes, default 2]
//
// Each file ends as one of: verified (reported written, stored byte-identical), reported (an
// error shown for it), or silent (reported written but stored wrong, or never accounted for).
// Exits 1 when any file is silent.

#include "app/main_window.h"
#include "bench_sim.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"
#include "widgets/editable_list.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fstream>
#include <sys/resource.h>

namespace {

class Window : public mfd::TForm3 {
public:
    using TForm3::TForm3;
    QStringList messages;
    void setStatusText(int panel, const QString &text) override
    {
        if (panel == 1)
            messages << text;
        TForm3::setStatusText(panel, text);
    }
    bool reported(const QString &what, const char *outcome) const
    {
        return messages.contains(QStringLiteral("File ") + what + QLatin1Char(' ') + QLatin1String(outcome));
    }
};

QByteArray readRaw(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return f.readAll();
}

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

struct Tally {
    int verified = 0, reported = 0, silent = 0;
    void count(bool written, bool error, bool identical)
    {
        if (error && !written)
            ++reported;
        else if (written && identical && !error)
            ++verified;
        else
            ++silent;
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int fileCount = argc > 1 ? std::atoi(argv[1]) : 500;
    const int imageCount = std::clamp(argc > 2 ? std::atoi(argv[2]) : 3, 0, 4);
    const int imageMb = argc > 3 ? std::atoi(argv[3]) : 8;
    const std::uint32_t perMille = std::uint32_t(std::max(0, argc > 4 ? std::atoi(argv[4]) : 10));
    const int noise = argc > 5 ? std::atoi(argv[5]) : 2;

    QTemporaryDir src, root;
    QDir(src.path()).mkdir(QStringLiteral("sd"));
    QRandomGenerator gen(2024);
    struct Source {
        QString name;
        QByteArray content;
    };
    QList<Source> files, images;
    qint64 sdBytes = 0;
    std::uint64_t acks = 0;
    for (int i = 0; i < fileCount; ++i) {
        // Mostly small files, some of a few hundred kB, a few empty.
        const int kind = int(gen.bounded(20));
        const qsizetype size = kind == 0 ? 0 : kind < 17 ? qsizetype(gen.bounded(20000)) : qsizetype(gen.bounded(400000));
        QByteArray b(size, Qt::Uninitialized);
        for (qsizetype k = 0; k < size; ++k)
            b[k] = char(gen.generate());
        files.push_back({QStringLiteral("f%1.bin").arg(i, 4, 10, QLatin1Char('0')), b});
        QFile f(src.filePath(QStringLiteral("sd/") + files.back().name));
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != size) {
            std::fprintf(stderr, "cannot write the sources\n");
            return 2;
        }
        sdBytes += size;
        acks += std::max<qsizetype>(1, (size + 249) / 250);
    }
    for (int d = 0; d < imageCount; ++d) {
        QByteArray b(qsizetype(imageMb) * 1024 * 1024, Qt::Uninitialized);
        for (qsizetype k = 0; k < b.size(); ++k)
            b[k] = char(gen.generate());
        images.push_back({QStringLiteral("disk%1.imz").arg(d), b});
        QFile f(src.filePath(images.back().name));
        if (!f.open(QIODevice::WriteOnly) || f.write(b) != b.size()) {
            std::fprintf(stderr, "cannot write the sources\n");
            return 2;
        }
        acks += std::uint64_t(b.size() / 1024);
    }

    // perMille of the acknowledgements a clean run would see get a wrong checksum, spread at random.
    QStringList corrupt;
    for (std::uint64_t k = 1; k <= acks; ++k)
        if (gen.bounded(1000u) < perMille)
            corrupt << QString::number(k);

    QStringList simArgs{"--root", root.path(), "--no-announce", "--quiet", "--noise", QString::number(noise)};
    if (!corrupt.isEmpty())
        simArgs << "--corrupt-ack" << corrupt.join(',');
    QProcess sim;
    const QString port = mfd::bench::startUnit(sim, simArgs);
    if (port.isEmpty())
        return 2;

    mfd::SerialLink link;
    mfd::SteadyClock clock;
    Window w(link, clock);
    QStringList errors;
    w.setErrorReporter([&](const QString &e) { errors << e; });
    w.portChosen(port);
    auto *sd = w.findChild<mfd::SdPage *>();

    // The script, one step per condition met, from a 10 ms timer inside the driver's event
    // processing; the timer's lateness is the window's answer time.
    mfd::Slots &rq = w.requests();
    int step = 0;
    int image = 0;
    QElapsedTimer wall, ticks;
    qint64 last = -1, worstLateNs = 0;
    double cpuStart = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(10);
    const char *imageFields[] = {"Edit5", "Edit11", "Edit12", "Edit13"};
    const char *sendButtons[] = {"BitBtn11", "BitBtn13", "BitBtn15", "BitBtn17"};
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = ticks.nsecsElapsed();
        if (last >= 0 && step > 0)
            worstLateNs = std::max(worstLateNs, now - last - 10'000'000);
        last = now;
        if (rq.SessionState != mfd::state::Idle)
            return;
        if (step == 0) {
            wall.start();
            cpuStart = cpuSeconds();
            sd->folderChooser()->setDirectory(src.filePath(QStringLiteral("sd")));
            sd->unitFolder()->setText(QStringLiteral("/soak/"));
            emit w.findChild<QPushButton *>(QStringLiteral("Button7"))->clicked(false);
            ++step;
        } else if (image < images.size()) {
            w.findChild<QLineEdit *>(QString::fromLatin1(imageFields[image]))->setText(src.filePath(images[image].name));
            emit w.findChild<QPushButton *>(QString::fromLatin1(sendButtons[image]))->clicked(false);
            ++image;
        } else {
            w.Button2Click();
        }
    });
    ticks.start();
    tick.start();
    w.findChild<QPushButton *>(QStringLiteral("Button8"))->click();
    const double cpu = cpuSeconds() - cpuStart;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    sim.terminate();
    sim.waitForFinished(5000);

    Tally sdTally, imageTally;
    for (const Source &f : files) {
        const QString device = QStringLiteral("/soak/") + f.name;
        sdTally.count(w.reported(device, "written"), w.reported(device, "error"),
                      readRaw(root.filePath(QStringLiteral("soak/") + f.name)) == f.content);
        if (sdTally.silent)
            std::fprintf(stderr, "SILENT: %s\n", qPrintable(device));
    }
    for (int d = 0; d < images.size(); ++d) {
        const Source &img = images[d];
        imageTally.count(w.reported(img.name, "written"), w.reported(img.name, "error"),
                         readRaw(root.filePath(QStringLiteral("disk%1.img").arg(d))).left(img.content.size()) == img.content);
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);

    std::printf("soak: %d files (%.1f MB) and %d images of %d MB, noise %d bytes before every reply, "
                "%lld of %llu acknowledgements corrupted\n",
                fileCount, double(sdBytes) / 1048576.0, int(images.size()), imageMb, noise,
                static_cast<long long>(corrupt.size()), static_cast<unsigned long long>(acks));
    std::printf("  SD files: %d verified, %d reported as errors, %d silent\n", sdTally.verified, sdTally.reported,
                sdTally.silent);
    std::printf("  images:   %d verified, %d reported as errors, %d silent\n", imageTally.verified,
                imageTally.reported, imageTally.silent);
    std::printf("  batch message: %s\n", qPrintable(w.messages.filter(QStringLiteral("SD")).value(
                                             w.messages.filter(QStringLiteral("SD")).size() - 1)));
    std::printf("  %.1f s wall, %.1f s CPU, peak RSS %ld MB, largest window lateness %.1f ms, %lld error reports\n",
                seconds, cpu, ru.ru_maxrss / 1024, double(worstLateNs) / 1e6, static_cast<long long>(errors.size()));
    for (const QString &e : errors)
        std::printf("  error: %s\n", qPrintable(e));
    return sdTally.silent + imageTally.silent == 0 && errors.isEmpty() ? 0 : 1;
}
