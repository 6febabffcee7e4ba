#include "ByteRange.h"

#include <algorithm>

namespace {

// Digits only, no sign, no blanks; -1 otherwise or when too long for a size.
qint64 number(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 18)
        return -1;
    qint64 value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

ByteRange ByteRange::parse(const QByteArray &header, qint64 size)
{
    ByteRange whole;
    whole.last = size - 1;
    const QByteArray value = header.trimmed();
    if (!value.startsWith("bytes=") || value.contains(','))
        return whole;
    const QByteArray set = value.mid(6).trimmed();
    const qsizetype dash = set.indexOf('-');
    if (dash < 0)
        return whole;
    const QByteArray from = set.left(dash).trimmed(), to = set.mid(dash + 1).trimmed();
    ByteRange r;
    r.kind = Kind::Part;
    if (from.isEmpty()) {
        const qint64 suffix = number(to);
        if (suffix < 0)
            return whole;
        if (suffix == 0 || size == 0)
            return {Kind::Unsatisfiable, 0, -1};
        r.first = suffix >= size ? 0 : size - suffix;
        r.last = size - 1;
        return r;
    }
    r.first = number(from);
    r.last = to.isEmpty() ? std::max(r.first, size - 1) : number(to);
    if (r.first < 0 || r.last < 0 || r.last < r.first)
        return whole;
    if (r.first >= size)
        return {Kind::Unsatisfiable, 0, -1};
    if (r.last >= size)
        r.last = size - 1;
    return r;
}
