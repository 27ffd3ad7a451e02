// What the shell tells the user when a port will not open, against a made-up process table.
#include "session/port_diagnosis.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace mfd;

namespace {
void writeFile(const QString &path, const QByteArray &text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// A process table with one terminal program holding the device and the given services running.
void makeProc(const QString &proc, const QString &device, const QStringList &services)
{
    writeFile(proc + "/123/comm", "minicom\n");
    QDir().mkpath(proc + "/123/fd");
    QVERIFY(QFile::link(device, proc + "/123/fd/3"));
    writeFile(proc + "/124/comm", "bash\n");
    QDir().mkpath(proc + "/124/fd");
    int pid = 200;
    for (const QString &s : services)
        writeFile(QStringLiteral("%1/%2/comm").arg(proc).arg(pid++), s.toUtf8() + "\n");
    writeFile(proc + "/self-not-a-pid/comm", "ModemManager\n");
}
} // namespace

class TestPortDiagnosis : public QObject {
    Q_OBJECT
private slots:
    void hints_data()
    {
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<QStringList>("services");
        QTest::addColumn<QString>("hint");
        QTest::newRow("usb adapter, modem manager running")
            << "ttyUSB9" << QStringList{"ModemManager"}
            << "in use by minicom (process 123); ModemManager may have taken the adapter: stop it, or unplug and plug in again";
        QTest::newRow("acm adapter, both running")
            << "ttyACM3" << QStringList{"brltty", "ModemManager"}
            << "in use by minicom (process 123); brltty or ModemManager may have taken the adapter: stop it, or unplug and plug in again";
        // Services that grab USB adapters say nothing about a built-in port or a bridge.
        QTest::newRow("built-in port") << "ttyS7" << QStringList{"ModemManager"} << "in use by minicom (process 123)";
    }
    void hints()
    {
        QFETCH(QString, deviceName);
        QFETCH(QStringList, services);
        QFETCH(QString, hint);
        QTemporaryDir dir;
        const QString device = dir.filePath(deviceName);
        writeFile(device, "");
        makeProc(dir.filePath("proc"), device, services);
        QCOMPARE(portHint(device, false, dir.filePath("proc")), hint);
    }

    void realProcessTableFindsThisProcess()
    {
        QTemporaryDir dir;
        const QString device = dir.filePath("ttyUSB4");
        writeFile(device, "");
        QFile held(device);
        QVERIFY(held.open(QIODevice::ReadOnly));
        bool found = false;
        for (const PortHolder &h : processesHolding(device))
            found |= h.pid == QCoreApplication::applicationPid();
        QVERIFY(found);
        // The shell itself is not named as the one in the way.
        QVERIFY(!portHint(device, false).contains(QStringLiteral("process %1").arg(QCoreApplication::applicationPid())));
    }
};

QTEST_GUILESS_MAIN(TestPortDiagnosis)
#include "test_port_diagnosis.moc"
