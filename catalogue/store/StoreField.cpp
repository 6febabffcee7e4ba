// Type codes and record room of the field kinds.
#include "StoreField.h"

#include <algorithm>
#include <cctype>

namespace {
constexpr char Base36[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";

struct KindCode
{
    FieldKind kind;
    char code;
    std::uint16_t bytes;
};

// The fixed kinds; text kinds are handled apart because their code carries the size.
// A String value and a binary value are held by reference in the record (4 and 8 bytes
// in the record image of the original 32-bit store).
constexpr KindCode FixedKinds[] = {
    {FieldKind::SmallInt, 'l', 2}, {FieldKind::Integer, 'i', 4},  {FieldKind::Boolean, 'b', 2},
    {FieldKind::Double, 'f', 8},   {FieldKind::Currency, 'c', 8}, {FieldKind::Date, 'd', 4},
    {FieldKind::Time, 'v', 4},     {FieldKind::DateTime, 't', 8}, {FieldKind::AutoInc, 'a', 4},
    {FieldKind::Blob, 'o', 8},     {FieldKind::Memo, 'm', 8},     {FieldKind::FmtMemo, 'r', 8},
    {FieldKind::Graphic, 'g', 8},
};
} // namespace

std::string_view fieldKindName(FieldKind kind)
{
    static constexpr std::string_view Names[] = {
        "Unknown",  "SmallInt", "Integer",  "Boolean", "Double", "Currency", "Date",    "Time",
        "DateTime", "AutoInc",  "SmallStr", "String",  "BLOB",   "Memo",     "FmtMemo", "Graphic"};
    return Names[static_cast<int>(kind)];
}

bool isTextKind(FieldKind kind)
{
    return kind == FieldKind::SmallStr || kind == FieldKind::String;
}

bool isReferencedKind(FieldKind kind)
{
    switch (kind) {
    case FieldKind::String:
    case FieldKind::Blob:
    case FieldKind::Memo:
    case FieldKind::FmtMemo:
    case FieldKind::Graphic:
        return true;
    default:
        return false;
    }
}

bool isFloatKind(FieldKind kind)
{
    return kind == FieldKind::Double || kind == FieldKind::Currency || kind == FieldKind::DateTime;
}

std::uint16_t recordBytesOf(FieldKind kind, int size)
{
    if (kind == FieldKind::SmallStr)
        return static_cast<std::uint16_t>(size + 1);
    if (kind == FieldKind::String)
        return 4;
    for (const KindCode &k : FixedKinds)
        if (k.kind == kind)
            return k.bytes;
    return 0;
}

std::string typeCodeOf(FieldKind kind, int size)
{
    if (kind == FieldKind::SmallStr)
        return std::string(1, Base36[std::clamp(size, 0, SmallStrMaxSize)]);
    if (kind == FieldKind::String) {
        std::string code = std::to_string(size);
        code.insert(code.begin(), 's');
        return code;
    }
    for (const KindCode &k : FixedKinds)
        if (k.kind == kind)
            return std::string(1, k.code);
    return std::string();
}

bool parseTypeCode(std::string_view code, FieldKind &kind, int &size)
{
    if (code.empty())
        return false;
    const char c = code.front();
    size = 0;
    if (c == 's') {
        kind = FieldKind::String;
        if (code.size() == 1) {
            size = DefaultStringSize;
            return true;
        }
        long value = 0;
        for (char d : code.substr(1)) {
            if (d < '0' || d > '9')
                return false;
            value = value * 10 + (d - '0');
            if (value > 0xFFFF)
                return false;
        }
        size = static_cast<int>(value);
        return true;
    }
    if (code.size() != 1)
        return false;
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) {
        kind = FieldKind::SmallStr;
        size = c <= '9' ? c - '0' : c - 'A' + 10;
        return true;
    }
    for (const KindCode &k : FixedKinds) {
        if (k.code == c) {
            kind = k.kind;
            return true;
        }
    }
    return false;
}

bool sameFieldName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}
