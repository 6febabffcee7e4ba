// COM port numbers and the device files they stand for, kept in [Ports] of orv.ini.
#pragma once

#include <QString>

class TIniFile;

namespace PortMap {

constexpr int FirstPort = 1;
constexpr int LastPort = 16;

// The device a port number stands for before the user or a test changes [Ports].
QString defaultDevice(int port);

// Writes the COM1..COM16 keys that are missing, so the user can see and edit the map.
void seed(TIniFile &ini);

// Maps COM port to device.
void setDevice(TIniFile &ini, int port, const QString &device);

// The device path of COMn, or an empty string when n is out of range.
QString devicePath(const TIniFile &ini, int port);

// The port number mapped to that device (compared after resolving links), or 0.
int portForDevice(const TIniFile &ini, const QString &device);

} // namespace PortMap
