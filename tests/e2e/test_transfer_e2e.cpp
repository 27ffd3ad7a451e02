// The SD folder and flash image uploads end to end: the real window on its real serial code,
// over a pseudo-terminal, against the simulated unit; what the unit stored is compared with the
// sources byte for byte.
#include "app/main_window.h"
#include "session/clock.h"
#include "session/serial_link.h"
#include "transfer/folder_chooser.h"
#include "transfer/sd_page.h"
#include "widgets/editable_list.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include "test_files.h"

#include <filesystem>
#include <fstream>

using namespace mfd;
using namespace mfd::test;

namespace {

constexpr qint64 RunLimitMs = 60000;


// mfd-sim on its own pseudo-terminal, storing under root.
class Sim {
public:
    QTemporaryDir root;
    QProcess proc;
    QString port;

    bool start(const QStringList &extra)
    {
        proc.setProcessChannelMode(QProcess::SeparateChannels);
        proc.start(QStringLiteral(MFD_SIM_BINARY),
                   QStringList{"--root", root.path(), "--no-announce", "--quiet"} + extra);
        if (!proc.waitForStarted(5000))
            return false;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 5000) {
            if (proc.canReadLine() || proc.waitForReadyRead(100)) {
                const QByteArray line = proc.readLine().trimmed();
                if (line.startsWith("PORT ")) {
                    port = QString::fromUtf8(line.mid(5));
                    return true;
                }
            }
        }
        return false;
    }
    ~Sim()
    {
        if (proc.state() != QProcess::NotRunning) {
            proc.terminate();
            if (!proc.waitForFinished(3000))
                proc.kill();
            proc.waitForFinished(1000);
        }
        // The card's names are Windows-1251 bytes, which QDir cannot name to remove them.
        std::error_code ec;
        for (const auto &entry : std::filesystem::directory_iterator(QFile::encodeName(root.path()).toStdString(), ec))
            std::filesystem::remove_all(entry.path(), ec);
    }
    std::filesystem::path stored(const QByteArray &relativeBytes) const
    {
        return std::filesystem::path(QFile::encodeName(root.path()).toStdString())
               / std::string(relativeBytes.constData(), std::size_t(relativeBytes.size()));
    }
};

// The shell: the window on a serial link to the simulated unit's port.
struct Shell {
    SerialLink link;
    SteadyClock clock;
    TForm3 window{link, clock};
    QStringList errors;
    Session s;

    explicit Shell(const QString &port)
    {
        window.setErrorReporter([this](const QString &t) { errors << t; });
        link.SetPortName(port);
        link.SetBaudRate(921600);
        link.SetActive(true);
    }
    Slots &rq() { return window.requests(); }

    // Passes until the driver rests; observe sees the window after every pass.
    bool runToIdle(const std::function<void()> &observe = {})
    {
        QElapsedTimer t;
        t.start();
        while (rq().SessionState != state::Idle && t.elapsed() < RunLimitMs && errors.isEmpty()) {
            window.driver().pass(s);
            if (observe)
                observe();
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return rq().SessionState == state::Idle;
    }
    bool openSession()
    {
        rq().SessionState = state::SessionOpening;
        return runToIdle();
    }
    QString panel(int n) const { return window.statusPanel(n)->text(); }
};

} // namespace

class TestTransferE2e : public QObject {
    Q_OBJECT
private slots:
    void sdFolderOfMixedFiles()
    {
        Sim sim;
        QVERIFY(sim.start({}));
        QTemporaryDir src;
        struct Source {
            QString name;
            QByteArray onCard; // the name as the unit stores it: Windows-1251 bytes
            QByteArray content;
        };
        const QList<Source> sources = {
            {"empty.bin", "empty.bin", {}},
            {"odd_251.bin", "odd_251.bin", randomBytes(251, 1)},
            {"odd_12345.dat", "odd_12345.dat", randomBytes(12345, 2)},
            {"big.bin", "big.bin", randomBytes(2 * 1024 * 1024, 3)},
            {QString::fromUtf8("Привет мир.txt"), "\xCF\xF0\xE8\xE2\xE5\xF2 \xEC\xE8\xF0.txt", randomBytes(777, 4)},
            {"noext", "noext", randomBytes(250, 5)},
        };
        for (const Source &f : sources) {
            QFile out(QDir(src.path()).filePath(f.name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(f.content);
        }

        Shell sh(sim.port);
        QVERIFY(sh.openSession());
        auto *page = sh.window.findChild<SdPage *>();
        page->folderChooser()->setDirectory(src.path());
        QCOMPARE(page->fileNames().size(), sources.size());
        page->unitFolder()->setSelectedIndex(1); // "/3D/"
        page->findChild<QPushButton *>("Button7")->click();
        QVERIFY2(sh.runToIdle(), qPrintable(sh.panel(1)));
        QVERIFY2(sh.errors.isEmpty(), qPrintable(sh.errors.join('\n')));
        QCOMPARE(sh.panel(1), QStringLiteral("Files is loaded to SD..."));
        for (const Source &f : sources) {
            const QByteArray stored = readRaw(sim.stored("3D/" + f.onCard));
            QVERIFY2(stored == f.content, qPrintable(f.name));
        }
    }

    void imageToDisk2()
    {
        Sim sim;
        QVERIFY(sim.start({}));
        QTemporaryDir src;
        const QString path = QDir(src.path()).filePath("disk2.imz");
        const QByteArray content = randomBytes(4 * 1024 * 1024, 42);
        {
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        Shell sh(sim.port);
        QVERIFY(sh.openSession());
        sh.window.findChild<QLineEdit *>("Edit12")->setText(path);
        auto *send = sh.window.findChild<QPushButton *>("BitBtn15");
        send->setEnabled(true);
        send->click();
        QVERIFY2(sh.runToIdle(), qPrintable(sh.panel(1)));
        QVERIFY2(sh.errors.isEmpty(), qPrintable(sh.errors.join('\n')));
        QCOMPARE(sh.panel(1), QStringLiteral("File disk2.imz written"));
        QCOMPARE(sh.panel(2), QString::number(content.size()));
        QVERIFY(readRaw(sim.stored("disk2.img")) == content);
    }

    // The unit corrupts the checksum of the third data frame: that file stops there, nothing more
    // goes out for it, the next file is stored whole, and the batch is not reported as a success.
    void sdCorruptedChecksum()
    {
        Sim sim;
        QVERIFY(sim.start({"--corrupt-ack", "3", "--hex"}));
        QTemporaryDir src;
        const QByteArray a = randomBytes(1000, 7), b = randomBytes(300, 8);
        for (const auto &[name, content] : {std::pair{"a.bin", a}, std::pair{"b.bin", b}}) {
            QFile out(QDir(src.path()).filePath(name));
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        Shell sh(sim.port);
        QVERIFY(sh.openSession());
        auto *page = sh.window.findChild<SdPage *>();
        page->folderChooser()->setDirectory(src.path());
        page->unitFolder()->setText("/");
        page->findChild<QPushButton *>("Button7")->click();
        QString errorShown;
        int lastState = 0;
        QVERIFY(sh.runToIdle([&] {
            if (lastState == state::SdFileError)
                errorShown = sh.panel(1);
            lastState = sh.rq().SessionState;
        }));
        QCOMPARE(errorShown, QStringLiteral("File /a.bin error"));
        QCOMPARE(sh.panel(1), QStringLiteral("1 of 2 files not loaded to SD"));
        QVERIFY(readRaw(sim.stored("b.bin")) == b);

        // The SD frames as the unit received them, by lead byte and count.
        sim.proc.terminate();
        QVERIFY(sim.proc.waitForFinished(5000));
        QStringList frames;
        for (const QByteArray &line : sim.proc.readAllStandardOutput().split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.size() >= 3 && f[0] == "RX" && (f[1] == "AA" || f[1] == "AB" || f[1] == "AC"))
                frames << QString::fromLatin1(f[1] + ' ' + f[2]);
        }
        QCOMPARE(frames, (QStringList{"AA 06", "AB FA", "AB FA", "AB FA", "AA 06", "AB FA", "AB 32", "AC 00"}));
    }
};

QTEST_MAIN(TestTransferE2e)
#include "test_transfer_e2e.moc"
