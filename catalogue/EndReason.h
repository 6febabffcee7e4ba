// Why a recording ended, as the details table keeps it and the list, the log and
// calvora-catalogue show it. The numbers are stored in the table: never renumber them.
#pragma once

#include <QString>

enum class EndReason
{
    Unknown = 0,        // a recording made before reasons were kept
    User = 1,           // Stop pressed
    Silence = 2,        // a run of silence as long as the disconnect time
    PeriodicSignal = 3, // a steady tone on the line (busy or dial tone)
    ModemEvent = 4,     // the modem reported the end in its stream; detail: the event
    MaximumLength = 5,  // the longest recording allowed; detail: minutes
    ModemLost = 6,      // the modem went away or stopped answering; detail: why
    WriteError = 7,     // the file could not be written; detail: the system's reason
    DiskFull = 8,       // no room left for the file; detail: the system's reason
    ProgramClosed = 9,  // the program was closed during the call
    Signalled = 10,     // the program was ended by a signal; detail: its name
    Recovered = 11,     // completed at the next start after a crash or a kill
};

struct RecordingEnd
{
    EndReason reason = EndReason::Unknown;
    // Bounded, one-line text; its meaning depends on the reason (see above).
    QString detail;

    bool operator==(const RecordingEnd &) const = default;

    // A modem's in-band event character as the detail keeps it: printable characters as
    // they are, others as "0x03".
    static RecordingEnd modemEvent(char event);
    // An error of the file system: ENOSPC, EDQUOT and EFBIG mean the disk (or the quota, or
    // the file-size limit) is full; anything else is a write error. reason is the system's text.
    static RecordingEnd writeFailure(int osError, const QString &reason);
};

// Short text for the list's "Ended" column and calvora-catalogue ("Silence", "Modem: busy
// tone", "Disk full"); empty for Unknown.
QString endReasonText(const RecordingEnd &end);
// The same with its detail, for the log and tooltips ("Disk full (No space left on device)").
QString endReasonDescription(const RecordingEnd &end);
// The reason read back from its stored number; Unknown for numbers this version does not know.
EndReason endReasonFromCode(qint64 code);
