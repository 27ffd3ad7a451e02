#include "sim_process.h"

#include <QElapsedTimer>

namespace mfd::test {

SimProcess::SimProcess(const QStringList &options, bool announce)
{
    proc_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList args{"--hex"};
    if (!announce)
        args << "--no-announce";
    proc_.start(QStringLiteral(MFD_SIM_BINARY), args + options);
    QElapsedTimer t;
    t.start();
    while (port_.isEmpty() && t.elapsed() < 10000 && proc_.waitForReadyRead(1000)) {
        while (proc_.canReadLine()) {
            const QString line = QString::fromUtf8(proc_.readLine()).trimmed();
            if (line.startsWith(QLatin1String("PORT "))) {
                port_ = line.mid(5);
                break;
            }
        }
    }
}

SimProcess::~SimProcess() { kill(); }

QStringList SimProcess::frames()
{
    pending_ += proc_.readAllStandardOutput();
    int nl;
    while ((nl = pending_.indexOf('\n')) >= 0) {
        const QString line = QString::fromUtf8(pending_.left(nl)).trimmed();
        pending_.remove(0, nl + 1);
        if (line.startsWith(QLatin1String("RX ")))
            frames_ << line.mid(3);
    }
    return frames_;
}

void SimProcess::kill()
{
    if (proc_.state() == QProcess::NotRunning)
        return;
    proc_.kill();
    proc_.waitForFinished(5000);
}

} // namespace mfd::test
