#include "WindowLayout.h"

#include "OrvKeys.h"
#include "TIniFile.h"

#include <exception>

using namespace OrvKeys;

WindowLayout loadWindowLayout(const TIniFile &ini, const WindowLayout &defaults)
{
    WindowLayout l = defaults;
    l.top = ini.ReadInteger(ParamsLower, MainTop, defaults.top);
    l.left = ini.ReadInteger(ParamsLower, MainLeft, defaults.left);
    l.width = ini.ReadInteger(ParamsLower, MainWid, defaults.width);
    l.height = ini.ReadInteger(ParamsLower, MainHeight, defaults.height);
    l.volume = ini.ReadInteger(Params, Volume, defaults.volume);
    l.splitter = ini.ReadInteger(Params, Splitter, defaults.splitter);
    l.dateWidth = ini.ReadInteger(Params, DateWidth, defaults.dateWidth);
    l.timeWidth = ini.ReadInteger(Params, TimeWidth, defaults.timeWidth);
    l.durationWidth = ini.ReadInteger(Params, DurationWidth, defaults.durationWidth);
    l.endedWidth = ini.ReadInteger(List, EndedWidth, defaults.endedWidth);
    l.callerWidth = ini.ReadInteger(List, CallerWidth, defaults.callerWidth);
    l.memoWidth = ini.ReadInteger(List, MemoWidth, defaults.memoWidth);
    l.columns = ini.ReadString(List, ListColumns, defaults.columns);
    l.sortColumn = ini.ReadString(List, ListSort, defaults.sortColumn);
    l.sortDescending = ini.ReadBool(List, ListSortDescending, defaults.sortDescending);
    l.fontName = ini.ReadString(Fonts, FontName, defaults.fontName);
    l.fontSize = ini.ReadInteger(Fonts, FontSize, defaults.fontSize);
    l.fontColor = ini.ReadInteger(Fonts, FontColor, defaults.fontColor);
    l.startUp = ini.ReadBool(Params, StartUp, defaults.startUp);
    return l;
}

void saveWindowLayout(TIniFile &ini, const WindowLayout &layout, const WindowLayout &defaults)
{
    const struct
    {
        const QString &section;
        const QString &key;
        int value;
    } entries[] = {
        {ParamsLower, MainTop, layout.top},
        {ParamsLower, MainLeft, layout.left},
        {ParamsLower, MainWid, layout.width},
        {ParamsLower, MainHeight, layout.height},
        {ParamsLower, Volume, layout.volume},
        {ParamsLower, Splitter, layout.splitter},
        {Params, DateWidth, layout.dateWidth},
        {Params, TimeWidth, layout.timeWidth},
        {Params, DurationWidth, layout.durationWidth},
    };
    // A full disk must not cost the keys that can still be written.
    std::exception_ptr first;
    for (const auto &entry : entries) {
        try {
            ini.WriteInteger(entry.section, entry.key, entry.value);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    const struct
    {
        const QString &key;
        int value, defaultValue;
    } ours[] = {
        {EndedWidth, layout.endedWidth, defaults.endedWidth},
        {CallerWidth, layout.callerWidth, defaults.callerWidth},
        {MemoWidth, layout.memoWidth, defaults.memoWidth},
        {ListSortDescending, int(layout.sortDescending), int(defaults.sortDescending)},
    };
    for (const auto &entry : ours) {
        try {
            if (entry.value != entry.defaultValue || ini.ValueExists(List, entry.key))
                ini.WriteInteger(List, entry.key, entry.value);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    const struct
    {
        const QString &key;
        const QString &value, &defaultValue;
    } ourTexts[] = {
        {ListColumns, layout.columns, defaults.columns},
        {ListSort, layout.sortColumn, defaults.sortColumn},
    };
    for (const auto &entry : ourTexts) {
        try {
            if (entry.value != entry.defaultValue || ini.ValueExists(List, entry.key))
                ini.WriteString(List, entry.key, entry.value);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

bool hideSilentRecordings(const TIniFile &ini)
{
    return ini.ReadBool(List, HideSilent, false);
}

void setHideSilentRecordings(TIniFile &ini, bool hide)
{
    ini.WriteBool(List, HideSilent, hide);
}
