// Renders the window, connected to the simulated unit, to PNG files: one per page, and the image
// page in the middle of an upload.
//
//   QT_QPA_PLATFORM=offscreen build/bench/mfd-screenshot docs/screenshots [scale]

#include "app/main_window.h"
#include "bench_sim.h"
#include "app/port_chooser.h"
#include "app/theme.h"
#include "session/clock.h"
#include "session/serial_link.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
bool save(QWidget &w, const QString &path)
{
    const bool ok = w.grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}
} // namespace

int main(int argc, char *argv[])
{
    if (argc > 2)
        qputenv("QT_SCALE_FACTOR", argv[2]);
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(out);
    mfd::applyDarkTheme(app);

    // A paced unit, so that the upload is still running when it is photographed.
    QProcess sim;
    const QString port = mfd::bench::startUnit(
        sim, {"--no-announce", "--quiet", "--disks", "8,16,4,0", "--sd", "2", "--baud", "230400"});
    if (port.isEmpty())
        return 2;

    QTemporaryDir tmp;
    const QString image = tmp.filePath(QStringLiteral("disk1.imz"));
    {
        QFile f(image);
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(200 * 1024, '\x5A'));
    }

    mfd::SerialLink link;
    mfd::SteadyClock clock;
    mfd::TForm3 w(link, clock);
    w.show();
    w.portChosen(port);
    w.portChooser()->setCurrentText(port);
    save(w, out + QStringLiteral("/start.png"));

    bool ok = true;
    int phase = 0;
    QTimer probe;
    probe.setInterval(50);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (phase == 0 && w.statusPanel(4)->text() == QLatin1String("1000")) {
            QTabWidget *pages = w.pageControl();
            for (int i = 0; i < pages->count(); ++i) {
                pages->setCurrentIndex(i);
                ok &= save(w, QStringLiteral("%1/page-%2-%3.png").arg(out).arg(i + 1).arg(pages->widget(i)->objectName()));
            }
            pages->setCurrentWidget(w.findChild<QWidget *>(QStringLiteral("TabSheet4")));
            w.findChild<QLineEdit *>(QStringLiteral("Edit11"))->setText(image);
            w.requests().ReqFileName = image;
            w.requests().ReqDisk = 1;
            w.requests().SessionState = 240;
            phase = 1;
        } else if (phase == 1 && w.progressBar()->maximum() > 0
                   && w.progressBar()->value() > w.progressBar()->maximum() / 3) {
            ok &= save(w, out + QStringLiteral("/uploading.png"));
            phase = 2;
            w.Button2Click();
        }
    });
    probe.start();
    QTimer::singleShot(60000, [&] {
        ok = false;
        w.Button2Click();
    });
    w.findChild<QPushButton *>(QStringLiteral("Button8"))->click();
    sim.kill();
    sim.waitForFinished();
    return ok && phase == 2 ? 0 : 1;
}
