// The main window's placement, pane and column sizes, volume and list font as orv.ini keeps
// them between runs.
#pragma once

#include <QString>

class TIniFile;

struct WindowLayout
{
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    int volume = 8;
    int splitter = 0;
    int dateWidth = 75;
    int timeWidth = 70;
    int durationWidth = 70;
    int endedWidth = 110;  // ours, in [List]
    int callerWidth = 130; // ours, in [List]
    int memoWidth = 1000;  // ours, in [List]
    QString columns;       // ours, in [List]: the columns shown, by name; empty: the usual
    QString sortColumn;    // ours, in [List]: empty for the table's own order
    bool sortDescending = false;
    QString fontName = QStringLiteral("tahoma");
    int fontSize = 8;
    int fontColor = 0;
    bool startUp = false; // "start with the system"
};

// The stored values; a missing key keeps the value of defaults.
WindowLayout loadWindowLayout(const TIniFile &ini, const WindowLayout &defaults);

// Writes the placement, volume, splitter and column widths (not the font, which the settings
// own); the keys of [List] only once they differ from defaults' or were written before.
// Every key is tried; the first write error is raised afterwards.
void saveWindowLayout(TIniFile &ini, const WindowLayout &layout,
                      const WindowLayout &defaults = WindowLayout{});

// The view option "Hide silent recordings"; off unless set.
bool hideSilentRecordings(const TIniFile &ini);
void setHideSilentRecordings(TIniFile &ini, bool hide);
