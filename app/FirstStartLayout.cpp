// First-start widths from the font's measures.
#include "FirstStartLayout.h"

#include "catalogue/RecordingNames.h"

#include <QDate>
#include <QTime>
#include <algorithm>

namespace {
// A cell's text margins, its grid line and the view's frame, with room to spare for fonts
// whose shaped width differs a little from the sum of their advances.
constexpr int CellPadding = 16;
constexpr int FolderNameLength = 12;
// A folder two levels below a top-level one: the top level is indented too (its branch).
constexpr int IndentedLevels = 3;
} // namespace

FirstStartWidths firstStartWidths(const QFontMetrics &font, const DateTimeFormats &formats,
                                  int indentation, int iconSize)
{
    FirstStartWidths widths;

    // The widest date of a year: every month, on a two-digit day.
    for (int month = 1; month <= 12; ++month)
        widths.date =
            std::max(widths.date, font.horizontalAdvance(formats.dateText(QDate(2028, month, 28))));
    widths.date += CellPadding;
    widths.time = font.horizontalAdvance(formats.timeText(QTime(23, 58, 58))) + CellPadding;

    const int folderName =
        std::max(font.horizontalAdvance(QStringLiteral("General")),
                 std::max(font.averageCharWidth(), font.horizontalAdvance('n')) * FolderNameLength);
    // The node's indentation, its picture, the gap after it, the name and the pane's frame.
    widths.tree = indentation * IndentedLevels + iconSize + 4 + folderName + CellPadding;
    return widths;
}
