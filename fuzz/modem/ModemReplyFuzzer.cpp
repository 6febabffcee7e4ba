// Any text a modem may send, whole or split over two reads, is read without a crash, a hang
// or an unbounded result: only complete lines decide, caller text stays short and clean, and
// the kept reply never grows past its bound.
#include "modem/ModemReply.h"

#include <cstddef>
#include <cstdint>

namespace {
using namespace ModemReply;

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The text up to and including its last line end: the complete lines only.
QString completeLines(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && !isLineEnd(text[end - 1]))
        --end;
    return text.left(end);
}

bool isShowable(const QString &value)
{
    for (QChar c : value) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    }
    return value.isEmpty() || (value.front().unicode() > 0x20 && value.back().unicode() > 0x20);
}

bool sameCallerId(const CallerIdLine &a, const CallerIdLine &b)
{
    return a.found == b.found && a.isError == b.isError && a.value == b.value && a.end == b.end;
}

void checkCallerId(const QString &text)
{
    const CallerIdLine id = findCallerId(text);
    check(id.value.size() <= MaxCallerTextLength);
    check(isShowable(id.value));
    check(id.found || (!id.isError && id.value.isEmpty() && id.end == 0));
    if (id.found) {
        check(id.end > 0 && id.end <= text.size());
        check(isLineEnd(text[id.end - 1]));
    }
}

void checkText(const QString &text)
{
    const Kind kind = classify(text);
    const QString name = kindText(kind);
    check((kind == Kind::None) == name.isEmpty());
    check(name.isEmpty() || name == QLatin1String("ok") || name == QLatin1String("error") ||
          name == QLatin1String("connect"));

    // A line still arriving decides nothing.
    const QString complete = completeLines(text);
    check(classify(complete) == kind);
    check(hasRing(complete) == hasRing(text));
    check(sameCallerId(findCallerId(complete), findCallerId(text)));
    checkCallerId(text);

    const QString before = replyBeforeOk(text);
    check(before.size() <= text.size());
    check(trimControls(before) == before);

    const QString clean = cleanCallerText(text);
    check(clean.size() <= MaxCallerTextLength);
    check(isShowable(clean));
    check(cleanCallerText(clean) == clean);
}

void checkSplit(const QString &text, qsizetype at)
{
    const QString first = text.left(at);
    const QString second = text.mid(at);

    QString reply;
    appendBounded(reply, first);
    check(reply.size() <= MaxReplyLength);
    const bool ringSoFar = hasRing(reply);
    appendBounded(reply, second);
    check(reply == text.right(MaxReplyLength));
    // A RING line once complete stays seen while the reply is within its bound.
    if (text.size() <= MaxReplyLength)
        check(!ringSoFar || hasRing(reply));
    checkText(reply);

    // A reply near its bound keeps only the newest text.
    QString full(MaxReplyLength - 3, QLatin1Char('x'));
    const QString all = full + first + second;
    appendBounded(full, first);
    appendBounded(full, second);
    check(full.size() <= MaxReplyLength);
    check(full == all.right(MaxReplyLength));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *chars = reinterpret_cast<const char *>(data);
    // The modem's bytes are read as Latin-1; UTF-8 also brings characters past Latin-1.
    for (const QString &text :
         {QString::fromLatin1(chars, qsizetype(size)), QString::fromUtf8(chars, qsizetype(size))}) {
        checkText(text);
        const qsizetype at = text.isEmpty() ? 0 : qsizetype(data[0] * 7919u % (text.size() + 1));
        checkSplit(text, at);
        checkSplit(text, text.size() / 2);
    }
    return 0;
}
