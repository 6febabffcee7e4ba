// Duration texts, date and time formats, and WAV file names of catalogue rows.
#include "RecordingNames.h"

namespace {

// Drops the time-zone letters ('t') outside quoted text, and the blanks they leave.
QString withoutTimeZone(const QString &format)
{
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        out += c;
    }
    return out;
}

// Narrow and no-break spaces of some locales become plain ones.
QString plainSpaces(QString format)
{
    format.replace(QChar(0x202F), QLatin1Char(' '));
    format.replace(QChar(0x00A0), QLatin1Char(' '));
    return format.simplified();
}

// A date format with a two-digit year gets a four-digit one.
QString fullYear(const QString &format)
{
    if (format.contains(QLatin1String("yyyy")) || !format.contains(QLatin1String("yy")))
        return format;
    QString out = format;
    out.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return out;
}

bool fits(const QString &text, int size)
{
    return !text.isEmpty() && text.toUtf8().size() <= size;
}

} // namespace

QString DurationText(int seconds)
{
    seconds = std::max(seconds, 0);
    const int m = seconds / 60;
    const int r = seconds % 60;
    QString text = QString::number(m) + QLatin1Char(':') +
                   (r < 10 ? QStringLiteral("0") : QString()) + QString::number(r);
    if (m < 10)
        text.prepend(QLatin1Char('0'));
    return text;
}

DateTimeFormats DateTimeFormats::system()
{
    const QLocale locale = QLocale::system();
    return fromLocale(locale, locale.dateFormat(QLocale::ShortFormat),
                      locale.timeFormat(QLocale::LongFormat));
}

DateTimeFormats DateTimeFormats::fromLocale(const QLocale &locale, const QString &rawShortDate,
                                            const QString &rawLongTime)
{
    DateTimeFormats f;
    f.locale = locale;
    const QString date = plainSpaces(fullYear(rawShortDate));
    const QString time = plainSpaces(withoutTimeZone(rawLongTime));

    // Samples with wide digits and long month and day names where the format has them.
    bool dateOk = !date.isEmpty();
    for (const QDate d : {QDate(2024, 12, 28), QDate(2009, 9, 30), QDate(2030, 1, 1)}) {
        const QString text = locale.toString(d, date);
        dateOk = dateOk && fits(text, DateTextSize) && locale.toDate(text, date) == d;
    }
    bool timeOk = !time.isEmpty();
    for (const QTime t : {QTime(23, 59, 58), QTime(0, 0, 1), QTime(12, 30, 5), QTime(9, 5, 7)}) {
        const QString text = locale.toString(t, time);
        timeOk = timeOk && fits(text, TimeTextSize) && locale.toTime(text, time) == t;
    }
    if (dateOk)
        f.shortDate = date;
    if (timeOk)
        f.longTime = time;
    return f;
}

QString DateTimeFormats::dateText(const QDate &date) const
{
    return locale.toString(date, shortDate);
}

QString DateTimeFormats::timeText(const QTime &time) const
{
    return locale.toString(time, longTime);
}

QDate DateTimeFormats::parseDate(const QString &text) const
{
    return locale.toDate(text.trimmed(), shortDate);
}

QTime DateTimeFormats::parseTime(const QString &text) const
{
    return locale.toTime(text.trimmed(), longTime);
}

QString RecordingFileName(int channel, const QString &dateS, const QString &timeS,
                          const DateTimeFormats &formats)
{
    const QDate date = formats.parseDate(dateS);
    const QTime time = formats.parseTime(timeS);
    if (!date.isValid() || !time.isValid() || date.year() < 1 || date.year() > 9999)
        return QString();
    return QString::number(channel) + QLatin1Char('_') + date.toString(QStringLiteral("yyyyMMdd")) +
           QLatin1Char('_') + time.toString(QStringLiteral("HHmmss"));
}
