// Decoding, encoding and comparing record values.
#include "StoreRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

std::uint32_t readU32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

void appendLE(std::string &out, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Where the value of a field starts, and how many bytes of the record it takes.
struct Span
{
    std::size_t pos;
    std::size_t size;
};

Span valueSpan(const FieldList &fields, std::string_view record, int field)
{
    const std::size_t n = fields.size();
    std::size_t pos = n;
    for (int j = 0;; ++j) {
        const auto len = static_cast<unsigned char>(record[static_cast<std::size_t>(j)]);
        std::size_t size = len;
        if (len != 0 && isReferencedKind(fields[static_cast<std::size_t>(j)].kind))
            size = 4 + readU32(record.data() + pos);
        if (j == field)
            return {pos, size};
        pos += size;
    }
}

std::int64_t asInteger(const StoreValue &v)
{
    if (const auto *i = std::get_if<std::int64_t>(&v))
        return *i;
    if (const auto *d = std::get_if<double>(&v)) {
        if (!std::isfinite(*d))
            return 0;
        return static_cast<std::int64_t>(std::clamp(*d, -9.0e18, 9.0e18));
    }
    return 0;
}

double asDouble(const StoreValue &v)
{
    if (const auto *d = std::get_if<double>(&v))
        return *d;
    if (const auto *i = std::get_if<std::int64_t>(&v))
        return static_cast<double>(*i);
    return 0.0;
}

} // namespace

std::string cutText(std::string_view text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return std::string(text);
    // Step back to the start of a UTF-8 sequence cut in two; text that is not UTF-8 (at most
    // three continuation bytes are looked at) is cut at the limit.
    std::size_t end = maxBytes;
    for (int i = 0; i < 3 && end > 0; ++i) {
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)
            break;
        --end;
    }
    if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80 ||
        static_cast<unsigned char>(text[end]) < 0xC0)
        end = maxBytes;
    return std::string(text.substr(0, end));
}

std::string_view fieldBytes(const FieldList &fields, std::string_view record, int field)
{
    const Span s = valueSpan(fields, record, field);
    if (s.size == 0)
        return {};
    if (isReferencedKind(fields[static_cast<std::size_t>(field)].kind))
        return record.substr(s.pos + 4, s.size - 4);
    return record.substr(s.pos, s.size);
}

StoreValue decodeField(const FieldList &fields, std::string_view record, int field)
{
    const FieldDesc &f = fields[static_cast<std::size_t>(field)];
    const std::string_view bytes = fieldBytes(fields, record, field);
    switch (f.kind) {
    case FieldKind::SmallStr:
        return std::string(bytes.substr(0, std::min<std::size_t>(bytes.size(), f.size)));
    case FieldKind::String:
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo:
    case FieldKind::Graphic:
        return std::string(bytes);
    case FieldKind::Double:
    case FieldKind::Currency:
    case FieldKind::DateTime: {
        unsigned char raw[8] = {};
        // A zero value is not written: its bytes are empty (and may have no address).
        if (!bytes.empty())
            std::memcpy(raw, bytes.data(), std::min<std::size_t>(bytes.size(), 8));
        double d;
        std::memcpy(&d, raw, 8); // the file holds little-endian IEEE 754, as this machine does
        return d;
    }
    case FieldKind::Boolean: {
        const bool set = std::any_of(bytes.begin(), bytes.end(), [](char c) { return c != 0; });
        return std::int64_t(set ? 1 : 0);
    }
    case FieldKind::SmallInt: {
        std::uint16_t u = 0;
        for (std::size_t i = 0; i < bytes.size() && i < 2; ++i)
            u |= static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[i]) << (8 * i));
        return std::int64_t(static_cast<std::int16_t>(u));
    }
    case FieldKind::Integer:
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::AutoInc: {
        std::uint32_t u = 0;
        for (std::size_t i = 0; i < bytes.size() && i < 4; ++i)
            u |= std::uint32_t(static_cast<unsigned char>(bytes[i])) << (8 * i);
        return std::int64_t(static_cast<std::int32_t>(u));
    }
    case FieldKind::Unknown:
        break;
    }
    return {};
}

StoreValue toStorage(const FieldDesc &field, const StoreValue &value)
{
    if (std::holds_alternative<std::monostate>(value))
        return value;
    switch (field.kind) {
    case FieldKind::SmallStr:
    case FieldKind::String: {
        std::string text;
        if (const auto *s = std::get_if<std::string>(&value))
            text = *s;
        else if (const auto *i = std::get_if<std::int64_t>(&value))
            text = std::to_string(*i);
        else
            text = std::to_string(std::get<double>(value));
        std::size_t limit = field.size;
        if (field.kind == FieldKind::String)
            limit = std::min<std::size_t>(limit, StringMaxLength);
        return cutText(text, limit);
    }
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo:
    case FieldKind::Graphic: {
        const auto *s = std::get_if<std::string>(&value);
        std::string bytes = s ? *s : std::string();
        if (bytes.size() > static_cast<std::size_t>(BlobMaxLength))
            bytes.resize(BlobMaxLength);
        return bytes;
    }
    case FieldKind::Double:
    case FieldKind::Currency:
    case FieldKind::DateTime:
        return asDouble(value);
    case FieldKind::Boolean:
        return std::int64_t(asInteger(value) != 0 ? 1 : 0);
    case FieldKind::SmallInt:
        return std::int64_t(static_cast<std::int16_t>(asInteger(value)));
    case FieldKind::Integer:
    case FieldKind::Date:
    case FieldKind::Time:
    case FieldKind::AutoInc:
        return std::int64_t(static_cast<std::int32_t>(asInteger(value)));
    case FieldKind::Unknown:
        break;
    }
    return {};
}

std::string encodeRecord(const FieldList &fields, const std::vector<StoreValue> &values)
{
    const std::size_t n = fields.size();
    std::string out(n, '\0');
    for (std::size_t j = 0; j < n; ++j) {
        const FieldDesc &f = fields[j];
        const StoreValue v = toStorage(f, values[j]);
        if (std::holds_alternative<std::monostate>(v))
            continue;
        std::size_t len = 0;
        switch (f.kind) {
        case FieldKind::SmallStr: {
            const auto &s = std::get<std::string>(v);
            out += s;
            len = s.size();
            break;
        }
        case FieldKind::String:
        case FieldKind::Blob:
        case FieldKind::Memo:
        case FieldKind::FmtMemo:
        case FieldKind::Graphic: {
            const auto &s = std::get<std::string>(v);
            if (s.empty())
                break;
            appendLE(out, s.size(), 4);
            out += s;
            len = 4;
            break;
        }
        case FieldKind::Double:
        case FieldKind::Currency:
        case FieldKind::DateTime: {
            const double d = std::get<double>(v);
            if (d == 0.0)
                break;
            char raw[8];
            std::memcpy(raw, &d, 8);
            out.append(raw, 8);
            len = 8;
            break;
        }
        case FieldKind::Boolean:
            if (std::get<std::int64_t>(v) != 0) {
                appendLE(out, 0xFFFF, 2);
                len = 2;
            }
            break;
        case FieldKind::SmallInt:
        case FieldKind::Integer:
        case FieldKind::Date:
        case FieldKind::Time:
        case FieldKind::AutoInc: {
            const std::int64_t i = std::get<std::int64_t>(v);
            if (i == 0)
                break;
            len = f.kind == FieldKind::SmallInt ? 2 : 4;
            appendLE(out, static_cast<std::uint64_t>(i), static_cast<int>(len));
            break;
        }
        case FieldKind::Unknown:
            break;
        }
        out[j] = static_cast<char>(len);
    }
    return out;
}

int compareValues(const StoreValue &a, const StoreValue &b)
{
    const bool aText =
        !std::holds_alternative<std::int64_t>(a) && !std::holds_alternative<double>(a);
    const bool bText =
        !std::holds_alternative<std::int64_t>(b) && !std::holds_alternative<double>(b);
    if (aText && bText) {
        const auto *sa = std::get_if<std::string>(&a);
        const auto *sb = std::get_if<std::string>(&b);
        const std::string_view va = sa ? std::string_view(*sa) : std::string_view();
        const std::string_view vb = sb ? std::string_view(*sb) : std::string_view();
        const std::size_t common = std::min(va.size(), vb.size());
        const int c = common == 0 ? 0 : std::memcmp(va.data(), vb.data(), common);
        if (c != 0)
            return c < 0 ? -1 : 1;
        return va.size() < vb.size() ? -1 : va.size() > vb.size() ? 1 : 0;
    }
    if (aText != bText) // null or text before any number
        return aText ? -1 : 1;
    if (std::holds_alternative<std::int64_t>(a) && std::holds_alternative<std::int64_t>(b)) {
        const auto x = std::get<std::int64_t>(a), y = std::get<std::int64_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    const double x = asDouble(a), y = asDouble(b);
    return x < y ? -1 : x > y ? 1 : 0;
}
