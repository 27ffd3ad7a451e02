// Processor use of the connected, idle shell: opens a session through the real window on a
// pseudo-terminal served by the simulated unit, waits for idle (state 1000), then measures the
// process's user + system time over a window of wall time.
//
//   build/bench/mfd-bench-idle [seconds]      (default 30)

#include "app/main_window.h"
#include "bench_sim.h"
#include "session/clock.h"
#include "session/serial_link.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {
double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;

    QProcess sim;
    const QString port = mfd::bench::startUnit(sim, {"--no-announce", "--quiet"});
    if (port.isEmpty())
        return 2;

    mfd::SerialLink link;
    mfd::SteadyClock clock;
    mfd::TForm3 w(link, clock);
    w.setErrorReporter([](const QString &e) { std::fprintf(stderr, "error: %s\n", qPrintable(e)); });
    w.show();
    w.portChosen(port);

    double cpuStart = -1, cpuEnd = 0;
    QElapsedTimer wall;
    qint64 wallMs = 0;
    QTimer probe;
    probe.setInterval(1000);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (cpuStart < 0) {
            if (w.statusPanel(4)->text() == QLatin1String("1000")) {
                cpuStart = cpuSeconds();
                wall.start();
            }
            return;
        }
        if (wall.elapsed() >= seconds * 1000) {
            cpuEnd = cpuSeconds();
            wallMs = wall.elapsed();
            w.Button2Click();
        }
    });
    probe.start();
    w.findChild<QPushButton *>(QStringLiteral("Button8"))->click();
    sim.kill();
    sim.waitForFinished();
    if (cpuStart < 0 || wallMs == 0) {
        std::fprintf(stderr, "the session did not reach idle\n");
        return 1;
    }
    const double used = cpuEnd - cpuStart;
    // The probe timer itself wakes the loop once a second; that is counted too.
    std::printf("idle connected: %.3f s CPU over %.1f s wall = %.3f%% of one core (goal <= 0.5%%)\n", used,
                wallMs / 1000.0, 100.0 * used / (wallMs / 1000.0));
    return 0;
}
