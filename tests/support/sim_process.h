#pragma once
// The simulated unit as a child process on a real pseudo-terminal, for end-to-end tests.

#include <QProcess>
#include <QStringList>

namespace mfd::test {

class SimProcess {
public:
    // Starts mfd-sim with --hex and the given options, announcing its port only when asked;
    // waits for the port.
    explicit SimProcess(const QStringList &options = {}, bool announce = false);
    ~SimProcess();

    bool started() const { return !port_.isEmpty(); }
    QString port() const { return port_; }
    // Every frame the unit received so far, as "A6 01 20" (reads what the process printed).
    QStringList frames();
    // The unit vanishes, as a pulled cable would make it.
    void kill();

private:
    QProcess proc_;
    QString port_;
    QByteArray pending_;
    QStringList frames_;
};

} // namespace mfd::test
