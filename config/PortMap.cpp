// The seeded map follows the device names Linux gives modems: USB CDC modems first
// (ttyACM), then USB serial adapters (ttyUSB), then the on-board serial ports (ttyS).
#include "PortMap.h"

#include "TIniFile.h"

#include <QFileInfo>

namespace {
const QString Section = QStringLiteral("Ports");

QString keyOf(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}
} // namespace

namespace PortMap {

QString defaultDevice(int port)
{
    if (port >= 1 && port <= 4)
        return QStringLiteral("/dev/ttyACM%1").arg(port - 1);
    if (port >= 5 && port <= 8)
        return QStringLiteral("/dev/ttyUSB%1").arg(port - 5);
    if (port >= 9 && port <= 16)
        return QStringLiteral("/dev/ttyS%1").arg(port - 9);
    return {};
}

void seed(TIniFile &ini)
{
    for (int port = FirstPort; port <= LastPort; ++port) {
        if (!ini.ValueExists(Section, keyOf(port)))
            ini.WriteString(Section, keyOf(port), defaultDevice(port));
    }
}

QString devicePath(const TIniFile &ini, int port)
{
    if (port < FirstPort || port > LastPort)
        return {};
    return ini.ReadString(Section, keyOf(port), defaultDevice(port));
}

int portForDevice(const TIniFile &ini, const QString &device)
{
    const QString wanted = canonical(device);
    for (int port = FirstPort; port <= LastPort; ++port) {
        if (canonical(devicePath(ini, port)) == wanted)
            return port;
    }
    return 0;
}

void setDevice(TIniFile &ini, int port, const QString &device)
{
    ini.WriteString(Section, keyOf(port), device);
}

} // namespace PortMap
