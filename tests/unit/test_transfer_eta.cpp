// The time left shown in the progress bar, from the time the acknowledged frames took.
#include "transfer/eta.h"

#include <QtTest>

using namespace mfd;

class TestTransferEta : public QObject {
    Q_OBJECT
private slots:
    void timeLeft_data()
    {
        QTest::addColumn<quint32>("startMs");
        QTest::addColumn<qint64>("pos");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<quint32>("nowMs");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing acknowledged yet") << 1000u << qint64(0) << qint64(8192) << 1000u << "0%";
        QTest::newRow("no time measured yet") << 1000u << qint64(1024) << qint64(8192) << 1000u << "12%";
        // 1024 bytes in 100 ms: 7168 more take 700 ms, shown as a whole second.
        QTest::newRow("first block timed") << 1000u << qint64(1024) << qint64(8192) << 1100u << "12% - 0:01 left";
        // 8 MB at about 82 KB/s, a quarter done.
        QTest::newRow("minutes") << 0u << qint64(2097152) << qint64(8388608) << 25000u << "25% - 1:15 left";
        QTest::newRow("hours") << 0u << qint64(1024) << qint64(67108864) << 1000u << "0% - 18:12:15 left";
        QTest::newRow("tick wrapped since the start")
            << 0xFFFFFF9Cu << qint64(1024) << qint64(2048) << 100u << "50% - 0:01 left";
        QTest::newRow("done") << 0u << qint64(4096) << qint64(4096) << 400u << "100%";
        QTest::newRow("empty file") << 0u << qint64(0) << qint64(0) << 10u << "100%";
    }
    void timeLeft()
    {
        QFETCH(quint32, startMs);
        QFETCH(qint64, pos);
        QFETCH(qint64, size);
        QFETCH(quint32, nowMs);
        QFETCH(QString, text);
        EtaEstimator eta;
        eta.start(0, startMs);
        QCOMPARE(progressText(pos, size, eta.secondsLeft(pos, size, nowMs)), text);
    }
};

QTEST_GUILESS_MAIN(TestTransferEta)
#include "test_transfer_eta.moc"
