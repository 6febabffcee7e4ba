// Conversions between store values and QVariant.
#include "StoreVariant.h"

#include "StoreError.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace StoreVariant {

namespace {
// Day 1 of the store's calendar is 1 January 0001.
const qint64 DayOneJulian = QDate(1, 1, 1).toJulianDay();
constexpr double MsPerDay = 86400000.0;

[[noreturn]] void invalid(const QVariant &value, const char *what)
{
    throw StoreError("'" + value.toString().left(64).toStdString() + "' is not a valid " + what +
                     " value");
}

std::int64_t toInteger(const QVariant &value)
{
    bool ok = false;
    const qlonglong i = value.typeId() == QMetaType::QString
                            ? value.toString().trimmed().toLongLong(&ok)
                            : value.toLongLong(&ok);
    if (!ok)
        invalid(value, "integer");
    return i;
}

double toFloat(const QVariant &value)
{
    bool ok = false;
    const double d = value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok)
                                                          : value.toDouble(&ok);
    if (!ok)
        invalid(value, "floating point");
    return d;
}
} // namespace

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    const std::size_t n = bytes.size();
    while (i < n) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (i + extra >= n)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

QString text(std::string_view bytes)
{
    const auto size = static_cast<qsizetype>(bytes.size());
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), size);
    return QString::fromLatin1(bytes.data(), size);
}

QVariant fromStore(const FieldDesc &field, const StoreValue &value)
{
    if (std::holds_alternative<std::monostate>(value))
        return QVariant();
    switch (field.kind) {
    case FieldKind::SmallStr:
    case FieldKind::String: {
        const auto &s = std::get<std::string>(value);
        return s.empty() ? QVariant() : QVariant(text(s));
    }
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo:
    case FieldKind::Graphic: {
        const auto &s = std::get<std::string>(value);
        return s.empty() ? QVariant()
                         : QVariant(QByteArray(s.data(), static_cast<qsizetype>(s.size())));
    }
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::AutoInc:
        return QVariant(static_cast<int>(std::get<std::int64_t>(value)));
    case FieldKind::Boolean:
        return QVariant(std::get<std::int64_t>(value) != 0);
    case FieldKind::Double:
    case FieldKind::Currency:
        return QVariant(std::get<double>(value));
    case FieldKind::Date: {
        const auto day = std::get<std::int64_t>(value);
        return day == 0 ? QVariant() : QVariant(QDate::fromJulianDay(DayOneJulian + day - 1));
    }
    case FieldKind::Time:
        return QVariant(QTime::fromMSecsSinceStartOfDay(
            static_cast<int>(std::get<std::int64_t>(value) % 86400000)));
    case FieldKind::DateTime: {
        const double total = std::get<double>(value);
        if (total == 0.0 || !(total > 0.0 && total < 4.0e17))
            return QVariant();
        const auto days = static_cast<qint64>(total / MsPerDay);
        const auto ms = static_cast<int>(total - static_cast<double>(days) * MsPerDay);
        return QVariant(QDateTime(QDate::fromJulianDay(DayOneJulian + days - 1),
                                  QTime::fromMSecsSinceStartOfDay(ms % 86400000)));
    }
    case FieldKind::Unknown:
        break;
    }
    return QVariant();
}

StoreValue toStore(const FieldDesc &field, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return {};
    StoreValue v;
    switch (field.kind) {
    case FieldKind::SmallStr:
    case FieldKind::String:
        v = value.toString().toStdString();
        break;
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo:
    case FieldKind::Graphic: {
        const QByteArray b = value.typeId() == QMetaType::QByteArray ? value.toByteArray()
                                                                     : value.toString().toUtf8();
        v = std::string(b.constData(), static_cast<std::size_t>(b.size()));
        break;
    }
    case FieldKind::SmallInt:
    case FieldKind::Integer:
    case FieldKind::AutoInc:
        v = toInteger(value);
        break;
    case FieldKind::Boolean:
        v = std::int64_t(value.toBool() ? 1 : 0);
        break;
    case FieldKind::Double:
    case FieldKind::Currency:
        v = toFloat(value);
        break;
    case FieldKind::Date: {
        const QDate d =
            value.typeId() == QMetaType::QDateTime ? value.toDateTime().date() : value.toDate();
        if (!d.isValid())
            invalid(value, "date");
        v = std::int64_t(d.toJulianDay() - DayOneJulian + 1);
        break;
    }
    case FieldKind::Time: {
        const QTime t =
            value.typeId() == QMetaType::QDateTime ? value.toDateTime().time() : value.toTime();
        if (!t.isValid())
            invalid(value, "time");
        v = std::int64_t(t.msecsSinceStartOfDay());
        break;
    }
    case FieldKind::DateTime: {
        const QDateTime dt = value.toDateTime();
        if (!dt.isValid())
            invalid(value, "date and time");
        const qint64 days = dt.date().toJulianDay() - DayOneJulian + 1;
        v = static_cast<double>(days) * MsPerDay + dt.time().msecsSinceStartOfDay();
        break;
    }
    case FieldKind::Unknown:
        return {};
    }
    return toStorage(field, v);
}

} // namespace StoreVariant
