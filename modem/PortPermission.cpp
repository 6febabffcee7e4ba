// Looked up with stat, getgrgid and getpwuid: QFileInfo::group() says nothing of a group
// without a name, and the user's login name is what usermod needs.
#include "PortPermission.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace PortPermission {

bool denied(const QString &device)
{
    const QByteArray path = QFile::encodeName(device);
    if (::faccessat(AT_FDCWD, path.constData(), R_OK | W_OK, AT_EACCESS) == 0)
        return false;
    return errno == EACCES || errno == EPERM;
}

QString owningGroup(const QString &device)
{
    struct stat info
    {};
    if (::stat(QFile::encodeName(device).constData(), &info) != 0)
        return {};
    const struct group *entry = ::getgrgid(info.st_gid);
    return entry && entry->gr_name ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

QString userName()
{
    const struct passwd *entry = ::getpwuid(::getuid());
    return entry && entry->pw_name ? QString::fromLocal8Bit(entry->pw_name) : QString();
}

QString advice(const QList<DeniedPort> &ports, const QString &user)
{
    // Ports of one group share a line, in the order they were refused.
    QStringList groups;
    QList<QStringList> devices;
    for (const DeniedPort &port : ports) {
        const qsizetype at = groups.indexOf(port.group);
        if (at < 0) {
            groups << port.group;
            devices << QStringList{port.device};
        } else if (!devices[at].contains(port.device)) {
            devices[at] << port.device;
        }
    }

    const QString who = user.isEmpty() ? QStringLiteral("$USER") : user;
    QStringList lines;
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const QString &group = groups.at(i);
        const QString on =
            QStringLiteral("Permission denied on ") + devices.at(i).join(QStringLiteral(", "));
        if (group.isEmpty() || group == QLatin1String("root")) {
            lines << on + QStringLiteral(". Ask the administrator of this computer to let you "
                                         "use it.");
            continue;
        }
        lines << on + QStringLiteral(" (group %1). Add yourself to the group with: "
                                     "sudo usermod -aG %1 %2, then log out and in again.")
                          .arg(group, who);
    }
    return lines.join(QLatin1Char('\n'));
}

QString advice(const QStringList &devices)
{
    QList<DeniedPort> ports;
    for (const QString &device : devices)
        ports.append({device, owningGroup(device)});
    return advice(ports, userName());
}

} // namespace PortPermission
