// The pane and column widths of a first start (no stored layout), measured in the list's font
// so that "General", a folder name of a dozen characters two levels down and a whole date and
// time are shown uncut. A stored layout is used as it stands.
#pragma once

#include <QFontMetrics>

struct DateTimeFormats;

struct FirstStartWidths
{
    int tree = 0;
    int date = 0;
    int time = 0;
};

FirstStartWidths firstStartWidths(const QFontMetrics &font, const DateTimeFormats &formats,
                                  int indentation, int iconSize);
