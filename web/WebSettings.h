// The web page's settings in orv.ini, section [Web]: Listen (ADDRESS:PORT, empty for off),
// TlsCert and TlsKey (PEM files). The command line's --listen, --tls-cert and --tls-key
// take their place for one run.
#pragma once

#include <QString>

class TIniFile;

struct WebSettings
{
    static inline const QString Section = QStringLiteral("Web");

    QString listen; // empty: no web page
    QString tlsCert;
    QString tlsKey;

    static WebSettings read(const TIniFile &ini);
    // Writes the three keys (an empty one too, so that the file shows what can be set).
    void write(TIniFile &ini) const;
};
