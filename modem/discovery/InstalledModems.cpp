// udev names a serial device "<bus>-<vendor>_<model>_<serial>-if<NN>" (or "-port<N>"), with
// blanks turned into underscores; the serial number is left out when the device has none.
#include "InstalledModems.h"

#include "config/PortMap.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace InstalledModems {

namespace {

// A serial number holds digits; a model word ("Modem", "Controller") does not.
bool looksLikeSerial(const QString &token)
{
    for (QChar c : token) {
        if (c.isDigit())
            return true;
    }
    return false;
}

QString printable(const QString &text)
{
    QString out;
    for (QChar c : text)
        out += c.isPrint() ? c : QLatin1Char(' ');
    return out.simplified();
}

} // namespace

QString displayNameOf(const QString &linkName)
{
    QString name = linkName;
    static const QRegularExpression suffix(QStringLiteral("(-(if[0-9A-Fa-f]+|port[0-9]+))+$"));
    name.remove(suffix);
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    if (dash > 0 && dash < name.size() - 1)
        name.remove(0, dash + 1);
    QStringList tokens = name.split(QLatin1Char('_'), Qt::SkipEmptyParts);
    if (tokens.size() > 1 && looksLikeSerial(tokens.last()))
        tokens.removeLast();
    const QString shown = printable(tokens.join(QLatin1Char(' ')));
    return (shown.isEmpty() ? printable(linkName) : shown).left(MaxNameLength);
}

QList<InstalledModem> list(const QString &byIdDir, const TIniFile &ini)
{
    QList<InstalledModem> modems;
    const QDir dir(byIdDir);
    if (!dir.exists())
        return modems;
    const QFileInfoList links =
        dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo &link : links) {
        if (!link.isSymLink())
            continue;
        const QString device =
            link.canonicalFilePath().isEmpty() ? link.symLinkTarget() : link.canonicalFilePath();
        const int port = PortMap::portForDevice(ini, device);
        modems.append({displayNameOf(link.fileName()),
                       port > 0 ? QStringLiteral("COM%1").arg(port) : device});
    }
    return modems;
}

} // namespace InstalledModems
