// The sections and keys of orv.ini. Only config/ spells them; everybody else asks the typed
// functions beside them (Preferences, ModemProfile, WindowLayout, ModemState, PortMap).
#pragma once

#include <QString>

namespace OrvKeys {

// Sections. Names are compared without regard to case; the spelling is the one a new file
// gets.
inline const QString Params = QStringLiteral("Params");
// The window placement keys were always written in lower case.
inline const QString ParamsLower = QStringLiteral("params");
inline const QString Modem = QStringLiteral("Modem");
inline const QString General = QStringLiteral("General");
inline const QString Monitor = QStringLiteral("Monitor");
inline const QString Fonts = QStringLiteral("Fonts");
inline const QString Ports = QStringLiteral("Ports");
inline const QString ModemCompression = QStringLiteral("Modem compression");
inline const QString FileCompression = QStringLiteral("File compression");

// [Params]
inline const QString StartUp = QStringLiteral("StartUp");
inline const QString Compression = QStringLiteral("Compression");
inline const QString VoiceFeatures = QStringLiteral("Voicefeatures");
inline const QString NoModemMsg = QStringLiteral("NoModemMsg");
inline const QString ExtPlayer = QStringLiteral("ExtPlayer");
inline const QString Player = QStringLiteral("Player");
inline const QString MainTop = QStringLiteral("MainTop");
inline const QString MainLeft = QStringLiteral("MainLeft");
inline const QString MainWid = QStringLiteral("MainWid");
inline const QString MainHeight = QStringLiteral("MainHeight");
inline const QString Volume = QStringLiteral("Volume");
inline const QString Splitter = QStringLiteral("Splitter");
inline const QString DateWidth = QStringLiteral("Date");
inline const QString TimeWidth = QStringLiteral("Time");
inline const QString DurationWidth = QStringLiteral("Duration");

// [Fonts]
inline const QString FontName = QStringLiteral("FontName");
inline const QString FontSize = QStringLiteral("FontSize");
inline const QString FontColor = QStringLiteral("FontColor");

// [Modem]
inline const QString Port = QStringLiteral("port");
inline const QString Distinctive = QStringLiteral("Distinctive");

// [List], ours: the list's Ended and Caller columns and the silent recordings' view option. Written
// only once the user changed them, so that other programs' files gain nothing they did not ask for.
inline const QString List = QStringLiteral("List");
inline const QString EndedWidth = QStringLiteral("Ended");
inline const QString CallerWidth = QStringLiteral("Caller");
inline const QString HideSilent = QStringLiteral("HideSilent");
// [List], ours: the Memo column's width, the columns shown in their order ("Date,Time,..."),
// and the sort (a column's name, empty for the table's own order; descending or not).
inline const QString MemoWidth = QStringLiteral("Memo");
inline const QString ListColumns = QStringLiteral("Columns");
inline const QString ListSort = QStringLiteral("Sort");
inline const QString ListSortDescending = QStringLiteral("SortDescending");

// [General]
inline const QString RingTimeOut = QStringLiteral("RingTimeOut");
inline const QString ModemCheck = QStringLiteral("ModemCheck");

} // namespace OrvKeys
