#include "app/port_chooser.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QSerialPortInfo>

#include <algorithm>
#include <sys/stat.h>

namespace mfd {

QString PortChooser::announceDir() { return QStringLiteral("/tmp/mfd-virtual-ports"); }

QStringList PortChooser::listPorts()
{
    QStringList ports;
    QDir dir(announceDir());
    QFileInfoList links = dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Time);
    for (const QFileInfo &link : links) {
        const QString target = link.symLinkTarget();
        if (!target.isEmpty() && QFileInfo::exists(target) && !ports.contains(target))
            ports << target;
    }
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        if (!ports.contains(info.systemLocation()))
            ports << info.systemLocation();
    return ports;
}

PortChooser::PortChooser(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
    QDir().mkpath(announceDir());
    ::chmod(announceDir().toLocal8Bit().constData(), 01777);
    // /dev for adapters plugged in or out, /dev/pts for pseudo-terminals whose unit went away.
    watcher_.addPath(QStringLiteral("/dev"));
    if (QFileInfo::exists(QStringLiteral("/dev/pts")))
        watcher_.addPath(QStringLiteral("/dev/pts"));
    watcher_.addPath(announceDir());
    if (QFileInfo::exists(QStringLiteral("/dev/serial")))
        watcher_.addPath(QStringLiteral("/dev/serial"));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &PortChooser::rebuild);
    connect(this, &QComboBox::activated, this, &PortChooser::choose);
    connect(lineEdit(), &QLineEdit::editingFinished, this, &PortChooser::choose);
    rebuild();
    last_ = chosenPort();
}

void PortChooser::rebuild()
{
    const QString kept = chosenPort();
    const QStringList ports = listPorts();
    QStringList shown;
    for (int i = 0; i < count(); ++i)
        shown << itemText(i);
    if (ports == shown)
        return;
    const QSignalBlocker block(this);
    clear();
    addItems(ports);
    // A chosen port stays chosen, even one that has gone away for now or was typed in.
    if (!kept.isEmpty())
        setCurrentText(kept);
    else if (!ports.isEmpty())
        setCurrentIndex(0);
}

void PortChooser::choose()
{
    const QString now = chosenPort();
    if (now == last_)
        return;
    last_ = now;
    emit portChosen(now);
}

} // namespace mfd
