// Colours as the configuration file stores them: 0x00BBGGRR, or 0xFF0000nn for the
// system colour number nn (8 is the window-text colour).
#pragma once

#include <QColor>
#include <QPalette>

inline QColor colorFromValue(int value, const QPalette &palette)
{
    const quint32 bits = static_cast<quint32>(value);
    if ((bits & 0xFF000000u) == 0xFF000000u) {
        switch (bits & 0xFFu) {
        case 5:
            return palette.color(QPalette::Base); // window background
        case 15:
            return palette.color(QPalette::Button); // button face
        case 13:
            return palette.color(QPalette::Highlight); // highlight
        default:
            return palette.color(QPalette::WindowText);
        }
    }
    return QColor(static_cast<int>(bits & 0xFF), static_cast<int>((bits >> 8) & 0xFF),
                  static_cast<int>((bits >> 16) & 0xFF));
}

// The stored form of a colour: 0x00BBGGRR.
inline int valueFromColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}
