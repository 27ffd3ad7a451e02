// mfd-sim: serves the simulated display unit on a pseudo-terminal, so the real shell, on its
// real serial code, can talk to it (demo, end-to-end tests, benchmarks).
//
// The port is announced on stdout as the first line "PORT /dev/pts/N" and as a link
// /tmp/mfd-virtual-ports/mfd-sim-<pid> to it, which the shell's port chooser lists.

#include "engine/storage.h"
#include "engine/unit.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using mfd::sim::Unit;

namespace {

const char *const AnnounceDir = "/tmp/mfd-virtual-ports";

int signalPipe[2] = {-1, -1};

void onSignal(int sig)
{
    const int saved = errno;
    const unsigned char b = static_cast<unsigned char>(sig);
    [[maybe_unused]] ssize_t r = write(signalPipe[1], &b, 1);
    errno = saved;
}

struct Options {
    std::array<std::uint8_t, mfd::sim::DiskCount> disks{8, 16, 4, 0};
    std::uint8_t sd16 = 2;
    std::string root;
    std::string stateFile;
    bool hex = false;
    bool quiet = false;
    bool announce = true;
    unsigned baud = 0; // 0: as fast as the pseudo-terminal goes
    mfd::sim::Faults faults;
};

[[noreturn]] void usage(int code)
{
    std::fprintf(code ? stderr : stdout,
                 "usage: mfd-sim [options]\n"
                 "  --disks a,b,c,d     flash disk sizes in MB, 0..255 (default 8,16,4,0)\n"
                 "  --sd n              SD card size in units of 16 MB, 0..255 (default 2)\n"
                 "  --root DIR          folder for received files (default: a fresh temporary folder,\n"
                 "                      removed on exit)\n"
                 "  --state-file PATH   rewrite PATH with a dump of what the unit holds after every frame\n"
                 "  --hex               print every complete frame received as \"RX A6 01 20\"\n"
                 "  --quiet             print nothing but the PORT line (and --hex lines)\n"
                 "  --no-announce       no link in %s\n"
                 "  --baud N            pace both directions like an 8N2 line at N baud (921600, 230400)\n"
                 "faults:\n"
                 "  --corrupt-ack K     wrong checksum on the K-th acknowledged data frame (SD or image,\n"
                 "                      counted together from 1); repeat or give K1,K2,...\n"
                 "  --noise N           N noise bytes (0x55) before every reply\n"
                 "  --silent            answer nothing\n"
                 "  --silent-after N    answer the first N frames, then nothing (the unit vanishes)\n"
                 "  --split-at N        send each reply's first N bytes, pause, then the rest\n"
                 "  --split-delay MS    the pause of --split-at (default 50)\n"
                 "  --delay MS          pause before every reply\n"
                 "  --byte-gap MS       send every reply byte alone, MS apart\n"
                 "  --extra N           N bytes (0xEE) after every reply, beyond what was asked\n"
                 "  --drop-reply K      no reply to the K-th frame (the handshake is 1); repeat or K1,K2,...\n"
                 "  --flood N           N random bytes, placed by --flood-before or --flood-after\n"
                 "  --flood-before K    the flood comes right before the reply to the K-th frame\n"
                 "  --flood-after K     the flood comes right after the reply to the K-th frame\n"
                 "SIGUSR1 prints the state dump on stderr.\n",
                 AnnounceDir);
    std::exit(code);
}

unsigned long number(const char *opt, const std::string &text, unsigned long max)
{
    char *end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || v > max || text[0] == '-') {
        std::fprintf(stderr, "mfd-sim: %s: '%s' is not a number in 0..%lu\n", opt, text.c_str(), max);
        std::exit(2);
    }
    return v;
}

std::vector<std::string> splitComma(const std::string &s)
{
    std::vector<std::string> parts;
    std::string cur;
    for (char c : s) {
        if (c == ',') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    parts.push_back(cur);
    return parts;
}

Options parse(int argc, char **argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "mfd-sim: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--help" || a == "-h") {
            usage(0);
        } else if (a == "--disks") {
            const auto parts = splitComma(value());
            if (parts.size() != o.disks.size()) {
                std::fprintf(stderr, "mfd-sim: --disks takes four sizes, a,b,c,d\n");
                std::exit(2);
            }
            for (std::size_t d = 0; d < parts.size(); ++d)
                o.disks[d] = std::uint8_t(number("--disks", parts[d], 255));
        } else if (a == "--sd") {
            o.sd16 = std::uint8_t(number("--sd", value(), 255));
        } else if (a == "--root") {
            o.root = value();
        } else if (a == "--state-file") {
            o.stateFile = value();
        } else if (a == "--hex") {
            o.hex = true;
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a == "--no-announce") {
            o.announce = false;
        } else if (a == "--baud") {
            o.baud = unsigned(number("--baud", value(), 100000000));
        } else if (a == "--corrupt-ack") {
            for (const std::string &k : splitComma(value()))
                o.faults.corruptAcks.insert(number("--corrupt-ack", k, 0xFFFFFFFFul));
        } else if (a == "--noise") {
            o.faults.noiseBytes = number("--noise", value(), 4096);
        } else if (a == "--silent") {
            o.faults.silent = true;
        } else if (a == "--silent-after") {
            o.faults.silentAfterFrames = number("--silent-after", value(), 0xFFFFFFFFul);
        } else if (a == "--split-at") {
            o.faults.splitAt = number("--split-at", value(), 1 << 20);
            if (!o.faults.splitDelayMs)
                o.faults.splitDelayMs = 50;
        } else if (a == "--split-delay") {
            o.faults.splitDelayMs = unsigned(number("--split-delay", value(), 600000));
        } else if (a == "--byte-gap") {
            o.faults.byteGapMs = unsigned(number("--byte-gap", value(), 600000));
        } else if (a == "--extra") {
            o.faults.extraBytes = number("--extra", value(), 1 << 20);
        } else if (a == "--drop-reply") {
            for (const std::string &k : splitComma(value()))
                o.faults.dropReplies.insert(number("--drop-reply", k, 0xFFFFFFFFul));
        } else if (a == "--flood") {
            o.faults.floodBytes = number("--flood", value(), 64ul << 20);
        } else if (a == "--flood-before") {
            o.faults.floodBefore = number("--flood-before", value(), 0xFFFFFFFFul);
        } else if (a == "--flood-after") {
            o.faults.floodAfter = number("--flood-after", value(), 0xFFFFFFFFul);
        } else if (a == "--delay") {
            o.faults.delayMs = unsigned(number("--delay", value(), 600000));
        } else {
            std::fprintf(stderr, "mfd-sim: unknown option %s\n", a.c_str());
            usage(2);
        }
    }
    return o;
}

// Links left by simulated units that died without cleaning up would list ports nobody serves.
void cleanDeadAnnouncements()
{
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator(AnnounceDir, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("mfd-sim-", 0) != 0 || !fs::is_symlink(entry.symlink_status(ec)))
            continue;
        const long pid = std::strtol(name.c_str() + 8, nullptr, 10);
        const bool alive = pid > 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM);
        if (!alive || !fs::exists(entry.path(), ec))
            fs::remove(entry.path(), ec);
    }
}

std::string announce(const std::string &slave)
{
    if (mkdir(AnnounceDir, 01777) == 0)
        chmod(AnnounceDir, 01777); // mkdir's mode is cut by the umask
    cleanDeadAnnouncements();
    const std::string link = std::string(AnnounceDir) + "/mfd-sim-" + std::to_string(getpid());
    unlink(link.c_str());
    if (symlink(slave.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "mfd-sim: cannot announce the port at %s: %s\n", link.c_str(), std::strerror(errno));
        return {};
    }
    return link;
}

void writeStateFile(const std::string &path, const Unit &unit)
{
    // Written aside and renamed, so a reader never sees half a dump.
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << unit.dumpState();
    }
    std::rename(tmp.c_str(), path.c_str());
}

// An 8N2 character is 11 bits on the line.
Clock::duration charTime(unsigned baud)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(11.0 / baud));
}

struct Chunk {
    std::vector<std::uint8_t> bytes;
    std::size_t done = 0;
    Clock::time_point notBefore;
};

} // namespace

int main(int argc, char **argv)
{
    const Options opt = parse(argc, argv);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::fprintf(stderr, "mfd-sim: cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    const char *name = ptsname(master);
    if (!name) {
        std::fprintf(stderr, "mfd-sim: ptsname: %s\n", std::strerror(errno));
        return 1;
    }
    const std::string slavePath = name;
    // Held open for the whole run: with no slave open, the master reads EIO and the port hangs up
    // each time the shell closes it.
    const int slave = open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0) {
        std::fprintf(stderr, "mfd-sim: cannot open %s: %s\n", slavePath.c_str(), std::strerror(errno));
        return 1;
    }
    termios tio{};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);

    if (pipe(signalPipe) != 0) {
        std::perror("mfd-sim: pipe");
        return 1;
    }
    for (int fd : signalPipe) {
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    struct sigaction sa{};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    sigaction(SIGUSR1, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    bool tempRoot = false;
    std::string root = opt.root;
    if (root.empty()) {
        char tmpl[] = "/tmp/mfd-sim-root-XXXXXX";
        if (!mkdtemp(tmpl)) {
            std::perror("mfd-sim: mkdtemp");
            return 1;
        }
        root = tmpl;
        tempRoot = true;
    }
    auto storage = std::make_unique<mfd::sim::DirectoryStorage>(root);
    const fs::path rootPath = storage->root();
    Unit unit(std::move(storage));
    unit.setDiskSizes(opt.disks, opt.sd16);
    unit.faults() = opt.faults;
    unit.setKeepFrameLog(false);
    if (opt.hex) {
        unit.onFrame = [](const std::vector<std::uint8_t> &f) {
            static const char digits[] = "0123456789ABCDEF";
            std::string line = "RX";
            line.reserve(3 + f.size() * 3);
            for (std::uint8_t b : f) {
                line += ' ';
                line += digits[b >> 4];
                line += digits[b & 15];
            }
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        };
    }

    const std::string link = opt.announce ? announce(slavePath) : std::string();
    std::printf("PORT %s\n", slavePath.c_str());
    if (!opt.quiet)
        std::printf("ROOT %s\n", rootPath.c_str());
    std::fflush(stdout);
    if (!opt.stateFile.empty())
        writeStateFile(opt.stateFile, unit);

    const bool paced = opt.baud > 0;
    if (paced)
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL); // wake when the line time is up, not 50 us later
    const Clock::duration perChar = paced ? charTime(opt.baud) : Clock::duration::zero();
    std::deque<Chunk> output;   // replies, in order, each not before its time
    Clock::time_point txFree{}; // when the paced line has sent everything written so far
    std::deque<std::pair<Clock::time_point, std::vector<std::uint8_t>>> input; // paced arrivals
    Clock::time_point rxFree{};

    auto queueReplies = [&](std::vector<mfd::sim::Reply> &replies, Clock::time_point now) {
        Clock::time_point at = now;
        if (!output.empty())
            at = std::max(at, output.back().notBefore);
        for (mfd::sim::Reply &r : replies) {
            at += std::chrono::milliseconds(r.delayMs);
            if (r.byteGapMs > 0 && r.bytes.size() > 1) {
                for (std::size_t i = 0; i < r.bytes.size(); ++i) {
                    if (i)
                        at += std::chrono::milliseconds(r.byteGapMs);
                    output.push_back({{r.bytes[i]}, 0, at});
                }
            } else if (r.splitAt > 0 && r.splitAt < r.bytes.size()) {
                output.push_back({std::vector<std::uint8_t>(r.bytes.begin(), r.bytes.begin() + std::ptrdiff_t(r.splitAt)), 0, at});
                at += std::chrono::milliseconds(r.splitDelayMs);
                output.push_back({std::vector<std::uint8_t>(r.bytes.begin() + std::ptrdiff_t(r.splitAt), r.bytes.end()), 0, at});
            } else {
                output.push_back({std::move(r.bytes), 0, at});
            }
        }
        replies.clear();
    };

    auto feedUnit = [&](const std::uint8_t *data, std::size_t n, Clock::time_point now) {
        std::vector<mfd::sim::Reply> replies;
        const std::uint64_t before = unit.frameCount();
        unit.feed(data, n, replies);
        // The dump is current before the reply leaves, so whoever sees the reply sees the dump.
        if (!opt.stateFile.empty() && unit.frameCount() != before)
            writeStateFile(opt.stateFile, unit);
        queueReplies(replies, now);
    };

    bool running = true;
    std::vector<std::uint8_t> rx(65536);
    while (running) {
        Clock::time_point now = Clock::now();

        // Paced input: a frame is complete only once its last byte would have crossed the line.
        while (!input.empty() && input.front().first <= now) {
            feedUnit(input.front().second.data(), input.front().second.size(), now);
            input.pop_front();
        }

        // Write what is due; a full pseudo-terminal leaves the rest for POLLOUT.
        bool wantWrite = false;
        while (!output.empty()) {
            Chunk &c = output.front();
            if (c.notBefore > now)
                break;
            std::size_t n = c.bytes.size() - c.done;
            if (paced) {
                if (txFree < now)
                    txFree = now;
                // Send what the line would have carried within the next millisecond.
                const auto horizon = now + std::chrono::milliseconds(1) - txFree;
                std::size_t allowed = horizon.count() > 0 ? std::size_t(horizon / perChar) : 0;
                if (txFree <= now)
                    allowed = std::max<std::size_t>(allowed, 1);
                n = std::min(n, allowed);
                if (n == 0)
                    break;
            }
            const ssize_t w = write(master, c.bytes.data() + c.done, n);
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                if (errno == EAGAIN || errno == EWOULDBLOCK) {
                    wantWrite = true;
                    break;
                }
                std::fprintf(stderr, "mfd-sim: write: %s\n", std::strerror(errno));
                running = false;
                break;
            }
            if (paced)
                txFree += perChar * w;
            c.done += std::size_t(w);
            if (c.done == c.bytes.size())
                output.pop_front();
        }

        // Sleep until a byte comes, the port can take more, a signal, or the next timed event.
        // To the nanosecond: a wake-up rounded up to whole milliseconds would add up to a
        // millisecond to every paced frame, several per cent of a 1024-byte block at 921600.
        std::optional<Clock::duration> timeout;
        auto wakeAt = [&](Clock::time_point t) {
            const Clock::duration d = std::clamp<Clock::duration>(t - now, Clock::duration::zero(), std::chrono::seconds(60));
            timeout = timeout ? std::min(*timeout, d) : d;
        };
        if (!wantWrite && !output.empty())
            wakeAt(paced ? std::max(output.front().notBefore, txFree) : output.front().notBefore);
        if (!input.empty())
            wakeAt(input.front().first);

        pollfd fds[2] = {{master, short(POLLIN | (wantWrite ? POLLOUT : 0)), 0}, {signalPipe[0], POLLIN, 0}};
        timespec ts{};
        if (timeout) {
            const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(*timeout).count();
            ts.tv_sec = time_t(ns / 1000000000);
            ts.tv_nsec = long(ns % 1000000000);
        }
        const int pr = ppoll(fds, 2, timeout ? &ts : nullptr, nullptr);
        if (pr < 0) {
            if (errno == EINTR)
                continue;
            std::perror("mfd-sim: poll");
            break;
        }
        now = Clock::now();
        if (fds[1].revents & POLLIN) {
            unsigned char sig[16];
            const ssize_t k = read(signalPipe[0], sig, sizeof sig);
            for (ssize_t i = 0; i < k; ++i) {
                if (sig[i] == SIGUSR1) {
                    const std::string dump = unit.dumpState();
                    std::fwrite(dump.data(), 1, dump.size(), stderr);
                    std::fflush(stderr);
                } else {
                    running = false;
                }
            }
        }
        if (fds[0].revents & POLLIN) {
            const ssize_t r = read(master, rx.data(), rx.size());
            if (r > 0) {
                if (paced) {
                    rxFree = std::max(rxFree, now) + perChar * r;
                    input.emplace_back(rxFree, std::vector<std::uint8_t>(rx.begin(), rx.begin() + r));
                } else {
                    feedUnit(rx.data(), std::size_t(r), now);
                }
            } else if (r < 0 && errno != EAGAIN && errno != EINTR && errno != EIO) {
                std::fprintf(stderr, "mfd-sim: read: %s\n", std::strerror(errno));
                break;
            } else if (r < 0 && errno == EIO) {
                // Only with no slave open, which holding our own prevents; avoid spinning regardless.
                poll(nullptr, 0, 10);
            }
        }
    }

    if (!link.empty())
        unlink(link.c_str());
    if (!opt.stateFile.empty())
        writeStateFile(opt.stateFile, unit);
    if (tempRoot) {
        std::error_code ec;
        fs::remove_all(rootPath, ec);
    }
    if (!opt.quiet)
        std::fprintf(stderr, "mfd-sim: stopped after %llu frames\n", static_cast<unsigned long long>(unit.frameCount()));
    close(slave);
    close(master);
    return 0;
}
