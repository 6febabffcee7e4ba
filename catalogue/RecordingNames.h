// How a catalogue row names its recording: the duration text, the date and time texts in the
// system's formats, and the WAV file name built from them.
#pragma once

#include <QDate>
#include <QLocale>
#include <QString>
#include <QTime>

// "MM:SS" of a length in whole seconds: 5 gives 00:05, 754 gives 12:34, 6000 gives 100:00.
QString DurationText(int seconds);

// The date and time formats rows are written and read with. The system's short date and long
// time formats, made safe to read back: the year always has four digits, the time zone is
// left out (a zone name would not fit the field and could not be parsed), and a format whose
// text does not fit its field or does not read back falls back to ISO order.
struct DateTimeFormats
{
    QLocale locale = QLocale::c();
    QString shortDate = QStringLiteral("yyyy-MM-dd");
    QString longTime = QStringLiteral("HH:mm:ss");

    static DateTimeFormats system();
    // Made safe as above, for a locale and its raw formats.
    static DateTimeFormats fromLocale(const QLocale &locale, const QString &rawShortDate,
                                      const QString &rawLongTime);

    QString dateText(const QDate &date) const;
    QString timeText(const QTime &time) const;
    // Invalid when the text does not match the format.
    QDate parseDate(const QString &text) const;
    QTime parseTime(const QString &text) const;
};

// Room the catalogue gives the texts (bytes).
constexpr int DateTextSize = 12;
constexpr int TimeTextSize = 16;

// The base name of a row's WAV file: channel + "_" + yyyyMMdd + "_" + hhmmss, the date and
// time read back from the row's texts. Empty when they cannot be read.
QString RecordingFileName(int channel, const QString &dateS, const QString &timeS,
                          const DateTimeFormats &formats);
