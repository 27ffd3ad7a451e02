#include "session/port_diagnosis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mfd {

namespace {
QString canonical(const QString &path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? path : c;
}

QString processName(const QString &procRoot, const QString &pid)
{
    QFile comm(procRoot + QLatin1Char('/') + pid + QStringLiteral("/comm"));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll()).trimmed();
}

QStringList pids(const QString &procRoot)
{
    QStringList out;
    for (const QString &entry : QDir(procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool isNumber = false;
        entry.toLongLong(&isNumber);
        if (isNumber)
            out << entry;
    }
    return out;
}
} // namespace

QList<PortHolder> processesHolding(const QString &devicePath, const QString &procRoot)
{
    const QString device = canonical(devicePath);
    QList<PortHolder> holders;
    for (const QString &pid : pids(procRoot)) {
        const QDir fds(procRoot + QLatin1Char('/') + pid + QStringLiteral("/fd"));
        for (const QFileInfo &fd : fds.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot)) {
            if (fd.symLinkTarget() == device) {
                holders.append({pid.toLongLong(), processName(procRoot, pid)});
                break;
            }
        }
    }
    return holders;
}

QStringList runningPortGrabbers(const QString &procRoot)
{
    QStringList found;
    for (const QString &pid : pids(procRoot)) {
        const QString name = processName(procRoot, pid);
        if ((name == QLatin1String("ModemManager") || name == QLatin1String("brltty")) && !found.contains(name))
            found << name;
    }
    return found;
}

QString owningGroup(const QString &devicePath)
{
    struct stat st {};
    const QByteArray path = canonical(devicePath).toLocal8Bit();
    if (::stat(path.constData(), &st) != 0)
        return {};
    if (const group *g = ::getgrgid(st.st_gid))
        return QString::fromLocal8Bit(g->gr_name);
    return {};
}

QString portHint(const QString &devicePath, bool permissionDenied, const QString &procRoot)
{
    QStringList hints;
    const qint64 self = QCoreApplication::applicationPid();
    for (const PortHolder &h : processesHolding(devicePath, procRoot))
        if (h.pid != self)
            hints << QStringLiteral("in use by %1 (process %2)").arg(h.name).arg(h.pid);
    const QString device = canonical(devicePath);
    if (device.contains(QLatin1String("ttyUSB")) || device.contains(QLatin1String("ttyACM"))) {
        const QStringList grabbers = runningPortGrabbers(procRoot);
        if (!grabbers.isEmpty())
            hints << QStringLiteral("%1 may have taken the adapter: stop it, or unplug and plug in again")
                         .arg(grabbers.join(QStringLiteral(" or ")));
    }
    if (permissionDenied && ::access(device.toLocal8Bit().constData(), R_OK | W_OK) != 0) {
        const QString grp = owningGroup(devicePath);
        if (!grp.isEmpty())
            hints << QStringLiteral("join the group \"%1\" that owns it, then log in again").arg(grp);
    }
    return hints.join(QStringLiteral("; "));
}

} // namespace mfd
