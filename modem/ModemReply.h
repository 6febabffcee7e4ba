// Reading what the modem sends in command mode: final result codes, caller-ID lines and
// RING lines. Only complete lines count, so a line split across two reads is judged once
// it has arrived whole, and a caller's name such as "BROOKS" is not taken for "OK".
#pragma once

#include <QString>

namespace ModemReply {

// Text kept of what the modem sent in command mode; older text is dropped beyond this.
constexpr qsizetype MaxReplyLength = 4096;
// Caller text shown, logged and stored at most.
constexpr qsizetype MaxCallerTextLength = 64;

enum class Kind
{
    None,
    Ok,
    Error,
    Connect
};

// The final result among the complete lines of text: a line "OK" or "ok" wins over a line
// beginning "ERROR"/"error", which wins over one beginning "CONNECT"/"connect".
Kind classify(const QString &text);
// "ok", "error", "connect"; empty for None.
QString kindText(Kind kind);

struct CallerIdLine
{
    bool found = false;
    bool isError = false; // an "ERRM" line (the modem could not read the caller ID)
    QString value;        // cleaned caller text
    qsizetype end = 0;    // position just past the line and its line end in the text
};

// The first complete line holding "ERRM"/"errm", else the first holding "NMBR"/"nmbr".
// The value is what follows the first "=" after the tag, or the tagged text itself when
// there is no "=".
CallerIdLine findCallerId(const QString &text);

// True when a complete line begins with "RING" or "ring".
bool hasRing(const QString &text);

// The reply to a query: the text before the "OK" line, without surrounding blanks and
// control characters.
QString replyBeforeOk(const QString &text);

// Appends received text and drops the oldest text past MaxReplyLength.
void appendBounded(QString &replyText, const QString &received);

// Untrusted caller text made fit to show and store: control characters removed, blanks at
// both ends trimmed, at most MaxCallerTextLength characters.
QString cleanCallerText(const QString &text);

// Trims characters up to and including the space, and DEL, at both ends.
QString trimControls(const QString &text);

} // namespace ModemReply
