// What the settings dialog reads from orv.ini besides the preferences (the configured modem
// as its "Modem" and "Parameters" pages show it), and the keys its buttons and OK write.
#pragma once

#include "ModemSetupStore.h"

#include <QString>
#include <QStringList>
#include <optional>

class TIniFile;
class TdeWaveFormat;
struct Preferences;

namespace SettingsStore {

// The configured modem as the dialog shows it.
struct ModemView
{
    bool configured = false; // [Modem] exists
    QString model;
    int port = 0;
    int timeout = 2; // seconds, 1..8; 2 when the file has none
    QString speakerVol;
    QString recGain;
    int vgtMin = 0, vgtMax = 255;
    int vgrMin = 0, vgrMax = 255;
    // The modem reports caller ID ([Modem] ForCallerId is not "none").
    bool callerIdAvailable = false;
};

// portDefault: the port shown when the file has none (0 when the dialog opens, 1 after a
// search). Out-of-range values are brought into range; nothing is written.
ModemView readModemView(const TIniFile &ini, int portDefault);

// The slider position a gain command sets: the text after its first "=" (all of it without
// one). No value for "none" or a text that is not a number.
std::optional<int> gainPosition(const QString &command);

// Writes the gain command for a slider position, unless the modem's command is exactly
// "none" (the modem has no such gain).
void storeGainPosition(TIniFile &ini, ModemSetupStore::Gain gain, int position);
// The voice compression chosen: its "at+vsm=" command and its row of Compressions.d.
void storeVoiceCompression(TIniFile &ini, const QString &vsmCommand, int row);
// The port's baud rate and flow control (list indices).
void storePortSettings(TIniFile &ini, const Preferences &prefs);
// ExtPlayer, and Player when the external player is on.
void storePlayerChoice(TIniFile &ini, const Preferences &prefs);
void storePlayer(TIniFile &ini, const QString &player);
void storeFont(TIniFile &ini, const Preferences &prefs);
// Timeout, the trace settings and the auto-record rules.
void storeRecordingRules(TIniFile &ini, const Preferences &prefs);
void storeStartUp(TIniFile &ini, bool startUp);
void storeCallerIdAndFolder(TIniFile &ini, const Preferences &prefs);
// [Notifications] Show, written only when it differs from what the file says now.
void storeNotifications(TIniFile &ini, const Preferences &prefs);
// [File compression]: the recordings' format.
void storeFileFormat(TIniFile &ini, const TdeWaveFormat &format);

// The recordings folders used before the current one, newest first. Their recordings stay
// where they are; the catalogue finds a row's file there when the current folder lacks it.
QStringList earlierRecordingsFolders(const TIniFile &ini);
// Remembers folder as the newest earlier one (at most MaxEarlierFolders are kept).
void rememberEarlierRecordingsFolder(TIniFile &ini, const QString &folder);
constexpr int MaxEarlierFolders = 20;

} // namespace SettingsStore
