#pragma once
// Starting the simulated unit for a benchmark: the program, its options, and the port it serves.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace mfd::bench {

// Starts program (mfd-sim, or a stand-in speaking its first line) and returns the pseudo-terminal
// from its "PORT /dev/pts/N" line; empty, with a message, when it does not start.
inline QString startUnit(QProcess &unit, const QStringList &options, const QString &program = QStringLiteral(MFD_SIM_BINARY))
{
    unit.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    unit.start(program, options);
    if (!unit.waitForReadyRead(10000)) {
        std::fprintf(stderr, "%s did not start\n", qPrintable(program));
        return {};
    }
    return QString::fromUtf8(unit.readLine()).trimmed().mid(5);
}

} // namespace mfd::bench
