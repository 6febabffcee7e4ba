// What modem discovery finds, stored in orv.ini step by step as it is found: the modem's
// identity, each probed command (or "none"), the compressions it listed, the gain ranges,
// the telephone line and the command time-out. Discovery says what it found; only this
// file knows the keys it goes to.
#pragma once

#include <QString>
#include <QStringList>

class TIniFile;
class TdeWaveFormat;
struct TModemParams;

namespace ModemSetupStore {

// A new search forgets the modem configured before.
void forgetModem(TIniFile &ini);
void storeIdentity(TIniFile &ini, const TModemParams &profile);

// One command of the profile, stored under its own key (the field names the key).
void storeCommand(TIniFile &ini, QString TModemParams::*field, const QString &value);
// Every voice command marked unsupported (a data-only modem).
void storeNoVoiceCommands(TIniFile &ini);

// The compressions the modem listed, one mirror text each, replacing an earlier list.
void storeCompressionList(TIniFile &ini, const QStringList &rows);
// The row chosen for recording, or none (the modem listed nothing usable).
void storeCompressionRow(TIniFile &ini, int row);
void storeNoCompression(TIniFile &ini);
// The wave format of the modem's samples; forgetModemFormat drops an earlier modem's.
void storeModemFormat(TIniFile &ini, const TdeWaveFormat &format);
void forgetModemFormat(TIniFile &ini);
bool hasModemFormat(const TIniFile &ini);
// Reads the modem's and the recordings' wave formats (the format is left as it was when
// the file has none).
void readModemFormat(const TIniFile &ini, TdeWaveFormat &format);
void readFileFormat(const TIniFile &ini, TdeWaveFormat &format);

enum class Gain
{
    Receive, // at+vgr
    Speaker  // at+vgt
};
// The gain range and the command set in its middle; none when the modem has no such gain.
void storeGain(TIniFile &ini, Gain gain, int min, int max, const QString &command);
void storeNoGain(TIniFile &ini, Gain gain);

// The telephone line's selection command and its reply.
void storeTelephoneLine(TIniFile &ini, const QString &command);
// Recording uses the telephone line; the command time-out starts at 4 s.
void useTelephoneLine(TIniFile &ini);
void storeDefaultTimeout(TIniFile &ini);

} // namespace ModemSetupStore
