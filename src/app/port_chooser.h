#pragma once
// The port chooser: the system's serial ports by device path, plus virtual ports that a
// simulated unit announces, rebuilt when devices come and go. A path can also be typed in
// (a socat pseudo-terminal, /dev/rfcomm0, a /dev/serial/by-id link).

#include <QComboBox>
#include <QFileSystemWatcher>
#include <QStringList>

namespace mfd {

class PortChooser : public QComboBox {
    Q_OBJECT
public:
    // Where simulated units leave a link to their pseudo-terminal.
    static QString announceDir();

    explicit PortChooser(QWidget *parent = nullptr);

    // The ports found now: announced virtual ports first (newest first), then the system's.
    static QStringList listPorts();
    // Rebuilds the list, keeping the chosen port.
    void rebuild();
    QString chosenPort() const { return currentText().trimmed(); }

signals:
    // The user picked or typed another port.
    void portChosen(const QString &path);

private:
    void choose();
    QFileSystemWatcher watcher_;
    QString last_;
};

} // namespace mfd
