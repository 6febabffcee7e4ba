// The one byte range of an HTTP Range header ("bytes=FIRST-LAST", "bytes=FIRST-",
// "bytes=-SUFFIX"), resolved against the size of what is served.
#pragma once

#include <QByteArray>
#include <QtGlobal>

struct ByteRange
{
    enum class Kind
    {
        Whole,        // no header, or one this server does not use (several ranges, other units)
        Part,         // first..last, within the size
        Unsatisfiable // starts at or past the end
    };
    Kind kind = Kind::Whole;
    qint64 first = 0;
    qint64 last = -1; // inclusive

    static ByteRange parse(const QByteArray &header, qint64 size);
    qint64 length() const { return last - first + 1; }
};
