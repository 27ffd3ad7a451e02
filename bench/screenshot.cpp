// Renders the window, connected to the simulated unit, to a PNG for the README.
//
//   QT_QPA_PLATFORM=offscreen build/bench/mfd-screenshot docs/screenshot.png

#include "app/main_window.h"
#include "app/port_chooser.h"
#include "app/theme.h"
#include "session/clock.h"
#include "session/serial_link.h"

#include <QApplication>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshot.png");
    mfd::applyDarkTheme(app);

    QProcess sim;
    sim.start(QStringLiteral(MFD_SIM_BINARY), {"--no-announce", "--quiet", "--disks", "8,16,4,0", "--sd", "2"});
    if (!sim.waitForReadyRead(10000))
        return 2;
    const QString port = QString::fromUtf8(sim.readLine()).trimmed().mid(5);

    mfd::SerialLink link;
    mfd::SteadyClock clock;
    mfd::TForm3 w(link, clock);
    w.show();
    w.portChosen(port);
    w.portChooser()->setCurrentText(port);

    bool saved = false;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (!saved && w.statusPanel(4)->text() == QLatin1String("1000")) {
            saved = w.grab().save(out);
            w.Button2Click();
        }
    });
    probe.start();
    QTimer::singleShot(20000, [&] { w.Button2Click(); });
    w.findChild<QPushButton *>(QStringLiteral("Button8"))->click();
    sim.kill();
    sim.waitForFinished();
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(out));
    return saved ? 0 : 1;
}
