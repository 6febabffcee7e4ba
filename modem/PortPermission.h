// A serial device the system does not let this user open. On Linux that usually means the user
// is not in the group that owns the device ("dialout" on Debian); these texts say which group
// and how to join it. Every text about refused ports is built here.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace PortPermission {

struct DeniedPort
{
    QString device; // "/dev/ttyACM0"
    QString group;  // the group owning it; empty when unknown
};

// Whether this process lacks read or write permission on device (an existing file). A device
// that is merely busy is not denied.
bool denied(const QString &device);
// The name of the group that owns device; empty when the file or its group is unknown.
QString owningGroup(const QString &device);
// The login name of the user running the program; empty when unknown.
QString userName();

// The advice for ports refused for lack of permission, one line per owning group:
// "Permission denied on /dev/ttyACM0 (group dialout). Add yourself to the group with:
// sudo usermod -aG dialout alice, then log out and in again." The group "root" and an unknown
// group get no command (joining root's group would open far more than the modem). An empty
// user name is written "$USER", which the shell fills in. Empty for no ports.
QString advice(const QList<DeniedPort> &ports, const QString &user);
// The same for devices, with their groups and the user looked up on this system.
QString advice(const QStringList &devices);

} // namespace PortPermission
