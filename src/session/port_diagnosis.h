#pragma once
// Why a serial port will not open, told in terms a Linux user can act on: who holds it, which
// services grab new USB-serial adapters, which group grants access.

#include <QList>
#include <QString>
#include <QStringList>

namespace mfd {

struct PortHolder {
    qint64 pid = 0;
    QString name;
};

// Processes (that this user may look at) with the device open.
QList<PortHolder> processesHolding(const QString &devicePath, const QString &procRoot = QStringLiteral("/proc"));
// Running services known to open USB-serial adapters as they appear (ModemManager, brltty).
QStringList runningPortGrabbers(const QString &procRoot = QStringLiteral("/proc"));
// The group that owns the device, when it is not readable and writable by this user.
QString owningGroup(const QString &devicePath);

// A hint to add after the reason a port failed to open; empty when there is nothing to add.
QString portHint(const QString &devicePath, bool permissionDenied,
                 const QString &procRoot = QStringLiteral("/proc"));

} // namespace mfd
