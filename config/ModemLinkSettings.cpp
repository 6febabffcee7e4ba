#include "ModemLinkSettings.h"

#include "OrvKeys.h"
#include "Preferences.h"
#include "TIniFile.h"

ModemLinkSettings ModemLinkSettings::read(const TIniFile &ini, const Preferences &prefs)
{
    using namespace OrvKeys;
    ModemLinkSettings settings;
    for (const QString &section : {Modem, ModemCompression, Ports}) {
        for (const QString &key : ini.readSection(section)) {
            // Cleared at every close; it says nothing about how the modem is set up.
            if (section == Modem && key.compare(Distinctive, Qt::CaseInsensitive) == 0)
                continue;
            settings.values << section + QLatin1Char('/') + key + QLatin1Char('=') +
                                   ini.ReadString(section, key, QString());
        }
    }
    settings.values << ini.ReadString(Params, Compression, QString())
                    << ini.ReadString(Params, VoiceFeatures, QString())
                    << QString::number(prefs.baudRateValue()) << prefs.flowControlName()
                    << QString::number(prefs.CallerID);
    return settings;
}
