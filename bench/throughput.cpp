// Speed, latency, processor and memory of the shell, each beside its ceiling or goal. Drives the
// real window ("Connect", "Send", "Load Packet", "Exit") on its real serial code over a
// pseudo-terminal served by the simulated unit, paced like an 8N2 line where a figure needs it.
//
//   build/bench/mfd-bench-throughput [options]
//     --only LIST        comma-separated figures to run, of: image921600, image230400, sd,
//                        turnaround, idle, memory (default: all)
//     --image-mb N       paced image size in MB (default 8)
//     --sd-files N       files in the SD folder, 1 to 20 KB each (default 200)
//     --turnaround-mb N  unpaced image for the turnaround and the pacing check (default 8)
//     --idle-seconds N   window of the connected-idle processor figure (default 30)
//     --memory-mb N      unpaced image for the peak memory figure (default 64)
//     --quick            --image-mb 1 --sd-files 40 --idle-seconds 5 --memory-mb 16
//                        --turnaround-mb 2
//     --fine-pacer       the paced figures against this program's own pacer (--peer) instead of
//                        mfd-sim: the same unit engine, but waits timed to the microsecond, where
//                        mfd-sim wakes on whole milliseconds
//     --peer BAUD        (internal) serve the unit on a pseudo-terminal, paced at BAUD
//
// Turnaround is timed at the link: from the moment the link hands the driver the last byte of an
// image block's acknowledgement to the first byte of the next block leaving through it.

#include "app/main_window.h"
#include "bench_sim.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"
#include "widgets/editable_list.h"
#include "engine/unit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>
#include <fstream>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

using BenchClock = std::chrono::steady_clock;

double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

long statusKb(const char *field)
{
    std::ifstream in("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(in, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
    return -1;
}

// Resets the kernel's peak resident size of this process to its current size.
bool resetPeakRss()
{
    std::ofstream out("/proc/self/clear_refs");
    out << "5";
    out.flush();
    return bool(out);
}

// Forwards every call to the serial link and timestamps frames: a frame starts with the first
// send after a purge of the input, and its acknowledgement has arrived once the link reports two
// bytes past the mark taken at that purge.
class TimedLink : public mfd::Link {
public:
    explicit TimedLink(mfd::SerialLink &inner) : inner_(inner) {}

    void SetActive(bool on) override { inner_.SetActive(on); }
    bool Active() const override { return inner_.Active(); }
    void SetPortName(const QString &name) override { inner_.SetPortName(name); }
    QString PortName() const override { return inner_.PortName(); }
    void SetBaudRate(int bps) override { inner_.SetBaudRate(bps); }
    int BaudRate() const override { return inner_.BaudRate(); }
    void ClearDeviceBuffers() override { inner_.ClearDeviceBuffers(); }
    void ClearDeviceInput() override
    {
        inner_.ClearDeviceInput();
        mark_ = inner_.TotalReceived();
        frameStarting_ = true;
    }
    void SendChar(int value) override
    {
        sent(std::uint8_t(value));
        inner_.SendChar(value);
    }
    void SendData(const std::uint8_t *data, std::size_t count) override
    {
        if (count)
            sent(data[0]);
        inner_.SendData(data, count);
    }
    void SendString(const QByteArray &text) override
    {
        if (!text.isEmpty())
            sent(std::uint8_t(text[0]));
        inner_.SendString(text);
    }
    void Read(std::uint8_t *buffer, std::size_t count) override { inner_.Read(buffer, count); }
    std::size_t Available() const override
    {
        observe();
        return inner_.Available();
    }
    std::uint32_t TotalReceived() const override
    {
        observe();
        return inner_.TotalReceived();
    }
    std::optional<QString> TakeFault() override { return inner_.TakeFault(); }

    // Turnarounds between two frames of this lead (AnyLead: between any two frames), in microseconds.
    static constexpr int AnyLead = 256;
    void record(int lead)
    {
        lead_ = lead;
        samples_.clear();
    }
    const std::vector<double> &samples() const { return samples_; }

private:
    void sent(std::uint8_t byte)
    {
        if (!frameStarting_)
            return;
        frameStarting_ = false;
        const auto now = BenchClock::now();
        if (ackSeen_ && (lead_ == AnyLead || (byte == lead_ && lastLead_ == lead_)))
            samples_.push_back(std::chrono::duration<double, std::micro>(now - ackAt_).count());
        lastLead_ = byte;
        ackSeen_ = false;
        awaiting_ = true;
    }
    void observe() const
    {
        if (awaiting_ && inner_.TotalReceived() - mark_ >= 2) {
            ackAt_ = BenchClock::now();
            ackSeen_ = true;
            awaiting_ = false;
        }
    }

    mfd::SerialLink &inner_;
    std::uint32_t mark_ = 0;
    bool frameStarting_ = false;
    int lead_ = -1;
    int lastLead_ = -1;
    mutable bool awaiting_ = false;
    mutable bool ackSeen_ = false;
    mutable BenchClock::time_point ackAt_{};
    std::vector<double> samples_;
};

class Window : public mfd::TForm3 {
public:
    using TForm3::TForm3;
    std::function<void()> onIdle;                      // the first pass that shows 1000
    std::function<void(const QString &)> onMessage;    // status panel 1
    void setStatusText(int panel, const QString &text) override
    {
        TForm3::setStatusText(panel, text);
        if (panel == 4 && onIdle && text == QLatin1String("1000")) {
            auto f = std::move(onIdle);
            onIdle = nullptr;
            QTimer::singleShot(0, this, f);
        }
        if (panel == 1 && onMessage)
            onMessage(text);
    }
};

// One simulated unit and one shell talking to it.
struct Rig {
    QTemporaryDir root;
    QProcess sim;
    mfd::SerialLink serial;
    TimedLink link{serial};
    mfd::SteadyClock clock;
    std::unique_ptr<Window> w;
    QStringList errors;

    bool start(unsigned baud, bool finePacer = false)
    {
        QStringList args{"--root", root.path(), "--no-announce", "--quiet", "--disks", "255,255,255,255"};
        if (baud)
            args << "--baud" << QString::number(baud);
        const QString port = finePacer && baud
                                 ? mfd::bench::startUnit(sim, {"--peer", QString::number(baud)},
                                                         QCoreApplication::applicationFilePath())
                                 : mfd::bench::startUnit(sim, args);
        if (port.isEmpty())
            return false;
        w = std::make_unique<Window>(link, clock);
        w->setErrorReporter([this](const QString &e) { errors << e; });
        w->portChosen(port);
        return true;
    }
    // Runs "Connect" until the script presses "Exit".
    void connect() { w->findChild<QPushButton *>(QStringLiteral("Button8"))->click(); }
    void exit() { w->Button2Click(); }
    ~Rig()
    {
        for (const QString &e : errors)
            std::printf("  error: %s\n", qPrintable(e));
        w.reset();
        sim.terminate();
        if (!sim.waitForFinished(5000))
            sim.kill();
    }
};

struct Upload {
    bool ok = false;
    double seconds = 0;
    double cpu = 0;
    QString outcome;
};

bool writeRandomFile(const QString &path, qint64 size, quint32 seed)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QRandomGenerator gen(seed);
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (qint64 left = size; left > 0;) {
        const qint64 n = std::min<qint64>(left, chunk.size());
        gen.fillRange(reinterpret_cast<quint32 *>(chunk.data()), chunk.size() / 4);
        if (f.write(chunk.constData(), n) != n)
            return false;
        left -= n;
    }
    return true;
}

// "Send" on the disk 0 row with a file of size bytes; timed from the press to "written".
Upload imageUpload(Rig &rig, const QString &path, const std::function<void()> &atStart = {})
{
    Upload u;
    BenchClock::time_point t0;
    double cpu0 = 0;
    rig.w->onIdle = [&] {
        if (atStart)
            atStart();
        t0 = BenchClock::now();
        cpu0 = cpuSeconds();
        rig.w->findChild<QLineEdit *>(QStringLiteral("Edit5"))->setText(path);
        auto *send = rig.w->findChild<QPushButton *>(QStringLiteral("BitBtn11"));
        send->setEnabled(true);
        send->click();
    };
    rig.w->onMessage = [&](const QString &text) {
        if (text.startsWith(QLatin1String("File "))) {
            u.seconds = std::chrono::duration<double>(BenchClock::now() - t0).count();
            u.cpu = cpuSeconds() - cpu0;
            u.outcome = text;
            u.ok = text.endsWith(QLatin1String(" written"));
            rig.exit();
        }
    };
    rig.connect();
    return u;
}

// Wire time of a whole image upload: start frame and its reply, then per block 1026 bytes out and
// 2 back, 11 bits a byte.
double imageCeilingSeconds(qint64 size, unsigned baud)
{
    const qint64 blocks = std::max<qint64>(1, (size + 1023) / 1024);
    return double(5 + blocks * 1028) * 11.0 / baud;
}

// The unit on a pseudo-terminal, every byte paced like an 8N2 line in both directions: a frame is
// taken in once its last byte would have crossed, and its reply is written once the reply's last
// byte would have crossed back.
volatile sig_atomic_t peerStop = 0;

int runPeer(unsigned baud)
{
    struct sigaction sa{};
    sa.sa_handler = [](int) { peerStop = 1; };
    sigaction(SIGTERM, &sa, nullptr);
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 || !ptsname(master))
        return 1;
    const std::string slavePath = ptsname(master);
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY); // held, so closes do not hang up
    termios tio{};
    if (slave < 0 || tcgetattr(slave, &tio) != 0)
        return 1;
    cfmakeraw(&tio);
    tcsetattr(slave, TCSANOW, &tio);
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    std::printf("PORT %s\n", slavePath.c_str());
    std::fflush(stdout);

    mfd::sim::Unit unit;
    unit.setDiskSizes({255, 255, 255, 255}, 255);
    unit.setKeepFrameLog(false);
    using ns = std::chrono::nanoseconds;
    const ns perChar(std::int64_t(11.0e9 / baud + 0.5));
    std::deque<std::pair<BenchClock::time_point, std::vector<std::uint8_t>>> input, output;
    BenchClock::time_point rxFree{}, txFree{};
    std::vector<std::uint8_t> rx(65536);
    // From a reply leaving here to the next frame's first byte coming back: the shell's turnaround
    // plus both trips through the pseudo-terminal and the wake-ups on either side.
    std::vector<double> roundTrips;
    BenchClock::time_point repliedAt{};
    bool replied = false;
    while (!peerStop) {
        auto now = BenchClock::now();
        while (!input.empty() && input.front().first <= now) {
            std::vector<std::uint8_t> reply = unit.feed(input.front().second);
            const auto due = input.front().first;
            input.pop_front();
            if (reply.empty())
                continue;
            txFree = std::max(txFree, due) + perChar * std::int64_t(reply.size());
            output.emplace_back(txFree, std::move(reply));
        }
        while (!output.empty() && output.front().first <= now) {
            const auto &bytes = output.front().second;
            if (write(master, bytes.data(), bytes.size()) < 0 && errno != EINTR)
                return 0;
            output.pop_front();
            repliedAt = BenchClock::now();
            replied = true;
        }
        timespec ts{};
        timespec *timeout = nullptr;
        BenchClock::time_point next = BenchClock::time_point::max();
        if (!input.empty())
            next = input.front().first;
        if (!output.empty())
            next = std::min(next, output.front().first);
        if (next != BenchClock::time_point::max()) {
            const auto wait = std::max<std::int64_t>(0, std::chrono::duration_cast<ns>(next - now).count());
            ts.tv_sec = time_t(wait / 1000000000);
            ts.tv_nsec = long(wait % 1000000000);
            timeout = &ts;
        }
        pollfd fd{master, POLLIN, 0};
        if (ppoll(&fd, 1, timeout, nullptr) < 0 && errno != EINTR)
            return 1;
        if (fd.revents & POLLIN) {
            const ssize_t r = read(master, rx.data(), rx.size());
            if (r > 0) {
                now = BenchClock::now();
                if (replied)
                    roundTrips.push_back(std::chrono::duration<double, std::micro>(now - repliedAt).count());
                replied = false;
                rxFree = std::max(rxFree, now) + perChar * std::int64_t(r);
                input.emplace_back(rxFree, std::vector<std::uint8_t>(rx.begin(), rx.begin() + r));
            }
        }
    }
    std::sort(roundTrips.begin(), roundTrips.end());
    if (!roundTrips.empty())
        std::fprintf(stderr, "  %-44s %9.3f ms (p99 %.3f ms, %zu replies)\n", "reply out to next frame in, at the unit",
                     roundTrips[roundTrips.size() / 2] / 1000.0, roundTrips[roundTrips.size() * 99 / 100] / 1000.0,
                     roundTrips.size());
    return 0;
}

struct Options {
    QStringList only;
    int imageMb = 8;
    int sdFiles = 200;
    int turnaroundMb = 8;
    int idleSeconds = 30;
    int memoryMb = 64;
    bool finePacer = false;
    bool wants(const char *name) const { return only.isEmpty() || only.contains(QLatin1String(name)); }
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t i = std::min(v.size() - 1, std::size_t(p * double(v.size() - 1) + 0.5));
    return v[i];
}

// What the shell's own turnarounds cost a paced upload: their sum against the whole time, and
// the ratio to the ceiling the upload would reach were they the only time beyond the wire's.
void printShellShare(const std::vector<double> &turnaroundsUs, double wireSeconds, double seconds)
{
    double sum = 0;
    for (double t : turnaroundsUs)
        sum += t;
    sum /= 1e6;
    std::printf("  %-44s %9.3f ms (p99 %.3f ms, %zu frames)\n", "turnaround median, paced",
                percentile(turnaroundsUs, 0.5) / 1000.0, percentile(turnaroundsUs, 0.99) / 1000.0,
                turnaroundsUs.size());
    std::printf("  %-44s %9.2f s of %.1f s; alone it would allow %.1f%% of the ceiling\n",
                "shell turnarounds in total", sum, seconds, 100.0 * wireSeconds / (wireSeconds + sum));
    std::printf("  %-44s %9.2f s (pacer lateness, pseudo-terminal, wake-ups)\n", "time beyond wire and shell",
                seconds - wireSeconds - sum);
}

const char *verdict(bool met) { return met ? "met" : "NOT MET"; }

} // namespace

int main(int argc, char *argv[])
{
    if (argc == 3 && std::strcmp(argv[1], "--peer") == 0)
        return runPeer(unsigned(std::atoi(argv[2])));
    QApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // in order with what the pacer prints on stderr
    Options o;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&] { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == "--only")
            o.only = value().split(',', Qt::SkipEmptyParts);
        else if (a == "--image-mb")
            o.imageMb = value().toInt();
        else if (a == "--sd-files")
            o.sdFiles = value().toInt();
        else if (a == "--turnaround-mb")
            o.turnaroundMb = value().toInt();
        else if (a == "--idle-seconds")
            o.idleSeconds = value().toInt();
        else if (a == "--memory-mb")
            o.memoryMb = value().toInt();
        else if (a == "--fine-pacer")
            o.finePacer = true;
        else if (a == "--quick") {
            o.imageMb = 1;
            o.sdFiles = 40;
            o.idleSeconds = 5;
            o.memoryMb = 16;
            o.turnaroundMb = 2;
        } else {
            std::fprintf(stderr, "usage: mfd-bench-throughput [--only image921600,image230400,sd,turnaround,idle,memory]\n"
                                 "       [--image-mb N] [--sd-files N] [--turnaround-mb N] [--idle-seconds N]\n"
                                 "       [--memory-mb N] [--quick] [--fine-pacer]\n");
            return 2;
        }
    }

    QTemporaryDir src;
    int failures = 0;
    std::printf("mfd-bench-throughput: 8N2 framing, 11 bits a byte on the wire; paced by %s\n",
                o.finePacer ? "this program's fine pacer" : "mfd-sim --baud");
    double unpacedRate = 0;

    if (o.wants("turnaround")) {
        const qint64 size = qint64(o.turnaroundMb) << 20;
        const QString path = src.filePath(QStringLiteral("turnaround.imz"));
        Rig rig;
        if (!writeRandomFile(path, size, 1) || !rig.start(0))
            return 2;
        rig.link.record(0xA4);
        const Upload u = imageUpload(rig, path);
        const std::vector<double> &t = rig.link.samples();
        const double median = percentile(t, 0.5) / 1000.0, p99 = percentile(t, 0.99) / 1000.0;
        unpacedRate = double(size) / u.seconds;
        std::printf("turnaround, unpaced image of %d MB (%zu block pairs): %s\n", o.turnaroundMb, t.size(),
                    qPrintable(u.outcome));
        std::printf("  %-44s %9.3f ms  goal <= 0.2 ms  ratio %6.1f%%  %s\n", "median, ack's last byte to next block",
                    median, 100.0 * median / 0.2, verdict(u.ok && median <= 0.2));
        std::printf("  %-44s %9.3f ms  goal <= 1 ms    ratio %6.1f%%  %s\n", "99th percentile", p99, 100.0 * p99 / 1.0,
                    verdict(u.ok && p99 <= 1.0));
        std::printf("  %-44s %9.3f ms\n", "largest", percentile(t, 1.0) / 1000.0);
        std::printf("  %-44s %9.3f ms  (shell, pseudo-terminal and unit)\n", "whole round trip per block",
                    1000.0 * u.seconds / double((size + 1023) / 1024));
        std::printf("  %-44s %9.0f B/s\n", "unpaced image throughput", unpacedRate);
        failures += !(u.ok && median <= 0.2 && p99 <= 1.0);
    }

    for (unsigned baud : {921600u, 230400u}) {
        if (!o.wants(baud == 921600u ? "image921600" : "image230400"))
            continue;
        const qint64 size = qint64(o.imageMb) << 20;
        const QString path = src.filePath(QStringLiteral("paced.imz"));
        Rig rig;
        if (!writeRandomFile(path, size, 2) || !rig.start(baud, o.finePacer))
            return 2;
        rig.link.record(0xA4);
        const Upload u = imageUpload(rig, path);
        const double rate = double(size) / u.seconds;
        const double ceilingRate = double(size) / imageCeilingSeconds(size, baud);
        const double ratio = rate / ceilingRate;
        const double cpuPct = 100.0 * u.cpu / u.seconds;
        std::printf("image upload of %d MB at %u baud: %s in %.1f s\n", o.imageMb, baud, qPrintable(u.outcome), u.seconds);
        std::printf("  %-44s %9.0f B/s ceiling %6.0f B/s  ratio %6.1f%%  goal >= 98%%  %s\n", "data throughput", rate,
                    ceilingRate, 100.0 * ratio, verdict(u.ok && ratio >= 0.98));
        std::printf("  %-44s %9.2f %%  goal <= 5%%      ratio %6.1f%%  %s\n", "processor, one core", cpuPct,
                    100.0 * cpuPct / 5.0, verdict(cpuPct <= 5.0));
        printShellShare(rig.link.samples(), imageCeilingSeconds(size, baud), u.seconds);
        if (unpacedRate > 0)
            std::printf("  %-44s %9.1f x  (pacing check: must be well above 1)\n", "unpaced / paced throughput",
                        unpacedRate / rate);
        failures += !(u.ok && ratio >= 0.98 && cpuPct <= 5.0);
    }

    if (o.wants("sd")) {
        const unsigned baud = 921600;
        QDir(src.path()).mkdir(QStringLiteral("sd"));
        QRandomGenerator gen(3);
        qint64 bytes = 0, wireBytes = 0;
        for (int i = 0; i < o.sdFiles; ++i) {
            const qint64 size = 1024 + qint64(gen.bounded(19 * 1024 + 1));
            const QString name = QStringLiteral("f%1.bin").arg(i, 4, 10, QLatin1Char('0'));
            if (!writeRandomFile(src.filePath(QStringLiteral("sd/") + name), size, 100 + quint32(i)))
                return 2;
            const qint64 frames = (size + 249) / 250;
            const qint64 pathLen = 5 + name.size(); // "/sd1/" + name
            wireBytes += (2 + pathLen + 2) + frames * (2 + 2) + size + (2 + 2);
            bytes += size;
        }
        Rig rig;
        if (!rig.start(baud, o.finePacer))
            return 2;
        BenchClock::time_point t0;
        double cpu0 = 0;
        Upload u;
        auto *sd = rig.w->findChild<mfd::SdPage *>();
        rig.w->onIdle = [&] {
            sd->folderChooser()->setDirectory(src.filePath(QStringLiteral("sd")));
            sd->unitFolder()->setText(QStringLiteral("/sd1/"));
            t0 = BenchClock::now();
            cpu0 = cpuSeconds();
            sd->findChild<QPushButton *>(QStringLiteral("Button7"))->click();
        };
        rig.w->onMessage = [&](const QString &text) {
            if (text.contains(QLatin1String("loaded to SD"))) {
                u.seconds = std::chrono::duration<double>(BenchClock::now() - t0).count();
                u.cpu = cpuSeconds() - cpu0;
                u.outcome = text;
                u.ok = text == QLatin1String("Files is loaded to SD...");
                rig.exit();
            }
        };
        rig.link.record(TimedLink::AnyLead);
        rig.connect();
        const double ceilingSeconds = double(wireBytes) * 11.0 / baud;
        const double rate = double(bytes) / u.seconds, ceilingRate = double(bytes) / ceilingSeconds;
        const double ratio = rate / ceilingRate;
        std::printf("SD upload of %d files, %.2f MB, 1 to 20 KB each, at %u baud: %s in %.1f s\n", o.sdFiles,
                    double(bytes) / 1048576.0, baud, qPrintable(u.outcome), u.seconds);
        std::printf("  %-44s %9.0f B/s ceiling %6.0f B/s  ratio %6.1f%%  goal >= 95%%  %s\n", "data throughput", rate,
                    ceilingRate, 100.0 * ratio, verdict(u.ok && ratio >= 0.95));
        std::printf("  %-44s %9.2f %%\n", "processor, one core", 100.0 * u.cpu / u.seconds);
        printShellShare(rig.link.samples(), ceilingSeconds, u.seconds);
        failures += !(u.ok && ratio >= 0.95);
    }

    if (o.wants("idle")) {
        Rig rig;
        if (!rig.start(921600))
            return 2;
        double cpu0 = 0, used = 0, wall = 0;
        BenchClock::time_point t0;
        rig.w->onIdle = [&] {
            t0 = BenchClock::now();
            cpu0 = cpuSeconds();
            QTimer::singleShot(o.idleSeconds * 1000, rig.w.get(), [&] {
                used = cpuSeconds() - cpu0;
                wall = std::chrono::duration<double>(BenchClock::now() - t0).count();
                rig.exit();
            });
        };
        rig.connect();
        const double pct = wall > 0 ? 100.0 * used / wall : 100.0;
        std::printf("connected and idle for %d s:\n", o.idleSeconds);
        std::printf("  %-44s %9.3f %%  goal <= 0.5%%    ratio %6.1f%%  %s\n", "processor, one core", pct, 100.0 * pct / 0.5,
                    verdict(wall > 0 && pct <= 0.5));
        failures += !(wall > 0 && pct <= 0.5);
    }

    if (o.wants("memory")) {
        const qint64 size = qint64(o.memoryMb) << 20;
        const QString path = src.filePath(QStringLiteral("memory.imz"));
        Rig rig;
        if (!writeRandomFile(path, size, 4) || !rig.start(0))
            return 2;
        const bool reset = resetPeakRss();
        const long before = statusKb("VmRSS");
        const Upload u = imageUpload(rig, path);
        const long peak = statusKb("VmHWM");
        const double peakMb = double(peak) / 1024.0, goalMb = double(size) / 1048576.0 + 80.0;
        std::printf("peak memory, unpaced image of %d MB: %s in %.1f s (resident before %.1f MB%s)\n", o.memoryMb,
                    qPrintable(u.outcome), u.seconds, double(before) / 1024.0,
                    reset ? "" : "; peak not reset, counts the whole run");
        std::printf("  %-44s %9.1f MB  goal <= %.0f MB  ratio %6.1f%%  %s\n", "peak resident size", peakMb, goalMb,
                    100.0 * peakMb / goalMb, verdict(u.ok && peakMb <= goalMb));
        failures += !(u.ok && peakMb <= goalMb);
    }
    return failures ? 1 : 0;
}
