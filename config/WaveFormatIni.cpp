// The configuration-file form of a wave format.
#include "config/WaveFormatIni.h"

#include "config/TIniFile.h"

void WriteWaveFormat(TIniFile &ini, const QString &section, const TdeWaveFormat &format)
{
    ini.WriteString(section, QStringLiteral("Desc"), format.FormatDescription());
    ini.WriteBinaryStream(section, QStringLiteral("Bin"), format.toBytes());
}

int ReadWaveFormat(const TIniFile &ini, const QString &section, TdeWaveFormat &format)
{
    QByteArray bytes;
    ini.ReadBinaryStream(section, QStringLiteral("Bin"), bytes);
    return format.loadFromBytes(bytes);
}
