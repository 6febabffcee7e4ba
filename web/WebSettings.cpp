#include "WebSettings.h"

#include "config/TIniFile.h"

WebSettings WebSettings::read(const TIniFile &ini)
{
    WebSettings s;
    s.listen = ini.ReadString(Section, QStringLiteral("Listen"), QString()).trimmed();
    s.tlsCert = ini.ReadString(Section, QStringLiteral("TlsCert"), QString()).trimmed();
    s.tlsKey = ini.ReadString(Section, QStringLiteral("TlsKey"), QString()).trimmed();
    return s;
}

void WebSettings::write(TIniFile &ini) const
{
    ini.WriteString(Section, QStringLiteral("Listen"), listen);
    ini.WriteString(Section, QStringLiteral("TlsCert"), tlsCert);
    ini.WriteString(Section, QStringLiteral("TlsKey"), tlsKey);
}
