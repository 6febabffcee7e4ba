// What the modem's open port, its initialisation and its recordings are made from: the modem's
// profile (its commands, gains and port), its compression, the port map, and the serial and
// caller-ID preferences. While these stay the same, an open port can stay open across a change of
// the other preferences, and a call ringing meanwhile is still answered and recorded.
#pragma once

#include <QStringList>

class TIniFile;
struct Preferences;

struct ModemLinkSettings
{
    QStringList values;

    static ModemLinkSettings read(const TIniFile &ini, const Preferences &prefs);
    bool operator==(const ModemLinkSettings &) const = default;
};
