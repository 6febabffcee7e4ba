// The user's preferences as the settings dialog holds them; every part of the program reads
// them here at the moment of use. loadPreferences() fills them from orv.ini and writes the
// keys a first start lacks, so that the file always holds a complete set.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class TIniFile;

struct Preferences
{
    // [Params]
    int Compression = 0; // row of Compressions.d used for recording
    int Timeout = 4;     // seconds allowed for a modem's final reply, 1..8
    bool ExtPlayer = false;
    QString Player = QStringLiteral("xdg-open");
    bool StartUp = false;
    bool CallerID = true;
    // [Notifications] Show: calls and saved recordings announced by the desktop.
    bool Notifications = true;
    QString wavDir; // always ends in "/"
    bool AutoRecord = true;
    int DiscTime = 10; // seconds of silence or tone that end a recording, 1..30
    bool RejectCall = true;
    int RejectRings = 6; // 2..20
    // [Modem]
    int baudrate = 1;    // index into BaudRates
    int FlowControl = 0; // index into FlowControls
    // [Monitor]
    bool PlayTrace = true;
    bool RecordTrace = true;
    int Points = 3; // index into PointsList
    int BackColor = 0;
    int TraceColor = 65280;
    // [Fonts]
    QString FontName;
    int FontSize = 8;
    int FontColor = 0;
    // [File compression]: the stream form of the recordings' wave format
    QByteArray FileCompression;

    static const QStringList BaudRates;
    static const QStringList FlowControls;
    static const QStringList PointsList;

    int baudRateValue() const;
    QString flowControlName() const;
    int pointsValue() const;
};

// The font the settings dialog itself uses, written when [Fonts] is missing.
struct DialogFont
{
    QString name;
    int size = 8;
    int color = -16777208; // the system's window-text colour
};

// Supplies the recordings' default wave format: its stream form and its description.
struct FileFormatSource
{
    // The format of "FileCompression.cpn" when that file exists (the file is then
    // deleted), otherwise mono 8-bit PCM at 8000 samples per second.
    std::function<QByteArray()> defaultFormat;
    std::function<QString(const QByteArray &)> describe;
};

// The settings dialog's load routine: reads every preference and seeds missing keys.
// A format source without functions leaves [File compression] alone.
void loadPreferences(TIniFile &ini, Preferences &prefs, const QString &programDir,
                     const DialogFont &dialogFont, const FileFormatSource &formats);

// The recordings folder ([Params] wavDir, ending in "/"), read without seeding anything.
QString readRecordingsFolder(const TIniFile &ini, const QString &programDir);

// Reads the external-player choice again (the start-up set-up does, after discovery).
void loadPlayerChoice(const TIniFile &ini, Preferences &prefs);
