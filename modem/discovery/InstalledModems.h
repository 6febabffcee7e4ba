// The modems the system knows: the links in /dev/serial/by-id, each with a display name and
// the port it is attached to ("COMn" when [Ports] maps a number to the same device).
#pragma once

#include <QList>
#include <QString>

class TIniFile;

struct InstalledModem
{
    QString displayName; // e.g. "Conexant USB Modem"
    QString attachedTo;  // "COM3", or the device path when no COM number stands for it
};

namespace InstalledModems {

// Where udev puts the stable names of serial devices.
inline const QString DefaultByIdDir = QStringLiteral("/dev/serial/by-id");
// Longest display name kept; link names are short, but nothing outside is trusted.
constexpr int MaxNameLength = 64;

// The display name a link name stands for: "usb-Conexant_USB_Modem_1234-if00" gives
// "Conexant USB Modem" (bus prefix, interface suffix and serial number dropped).
QString displayNameOf(const QString &linkName);

// The links of byIdDir in name order; an empty list when the folder is missing or empty.
QList<InstalledModem> list(const QString &byIdDir, const TIniFile &ini);

} // namespace InstalledModems
