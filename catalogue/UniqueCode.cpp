// Unique codes of recordings and folders.
#include "UniqueCode.h"

namespace {
const char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The number reduced modulo 62^count, written with count digits, most significant first.
QString base62(qint64 value, int count)
{
    qint64 modulus = 1;
    for (int i = 0; i < count; ++i)
        modulus *= 62;
    value = ((value % modulus) + modulus) % modulus;
    QString out(count, QLatin1Char('0'));
    for (int i = count - 1; i >= 0; --i) {
        out[i] = QLatin1Char(Digits[value % 62]);
        value /= 62;
    }
    return out;
}
} // namespace

QString UniqueCodeGenerator::code(const QDate &date, const QTime &time, int counter)
{
    const qint64 days = QDate(2000, 11, 1).daysTo(date);
    return base62(days * 24 + time.hour(), 3) + base62(time.minute() * 60 + time.second(), 2) +
           base62(qint64(1922) * (time.msec() / 10) + counter, 3);
}

QString UniqueCodeGenerator::next(const QDateTime &now)
{
    const QTime time = now.time();
    if (m_counter < 0)
        m_counter = time.hour() * 60 + time.minute();
    else
        ++m_counter;
    if (m_counter >= 3844)
        m_counter = 0;
    return code(now.date(), time, m_counter);
}
