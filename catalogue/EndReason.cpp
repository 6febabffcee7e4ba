// Texts of the reasons a recording ended.
#include "EndReason.h"

#include <cerrno>

namespace {

// The events a modem reports at the end of a call get a name; others show their code.
QString modemEventName(const QString &detail)
{
    if (detail.size() == 1) {
        switch (detail[0].toLatin1()) {
        case 'b':
            return QStringLiteral("busy tone");
        case 'd':
            return QStringLiteral("dial tone");
        case 's':
            return QStringLiteral("silence");
        case 'q':
            return QStringLiteral("quiet");
        case 'h':
            return QStringLiteral("handset on-hook");
        default:
            return QStringLiteral("code ") + detail;
        }
    }
    return detail.isEmpty() ? QStringLiteral("event") : QStringLiteral("code ") + detail;
}

} // namespace

RecordingEnd RecordingEnd::modemEvent(char event)
{
    const auto byte = static_cast<unsigned char>(event);
    if (byte > 0x20 && byte < 0x7F)
        return {EndReason::ModemEvent, QString(QLatin1Char(event))};
    return {EndReason::ModemEvent,
            QStringLiteral("0x") +
                QString::number(unsigned(byte), 16).rightJustified(2, QLatin1Char('0')).toUpper()};
}

RecordingEnd RecordingEnd::writeFailure(int osError, const QString &reason)
{
    const bool full = osError == ENOSPC || osError == EDQUOT || osError == EFBIG;
    return {full ? EndReason::DiskFull : EndReason::WriteError, reason};
}

QString endReasonText(const RecordingEnd &end)
{
    switch (end.reason) {
    case EndReason::Unknown:
        return QString();
    case EndReason::User:
        return QStringLiteral("Stopped by the user");
    case EndReason::Silence:
        return QStringLiteral("Silence");
    case EndReason::PeriodicSignal:
        return QStringLiteral("Busy or dial tone");
    case EndReason::ModemEvent:
        return QStringLiteral("Modem: ") + modemEventName(end.detail);
    case EndReason::MaximumLength:
        return QStringLiteral("Maximum length");
    case EndReason::ModemLost:
        return QStringLiteral("Modem lost");
    case EndReason::WriteError:
        return QStringLiteral("Write error");
    case EndReason::DiskFull:
        return QStringLiteral("Disk full");
    case EndReason::ProgramClosed:
        return QStringLiteral("Program closed");
    case EndReason::Signalled:
        return QStringLiteral("Program ended by ") +
               (end.detail.isEmpty() ? QStringLiteral("a signal") : end.detail);
    case EndReason::Recovered:
        return QStringLiteral("Recovered after a crash");
    }
    return QString();
}

QString endReasonDescription(const RecordingEnd &end)
{
    const QString text = endReasonText(end);
    switch (end.reason) {
    case EndReason::MaximumLength:
        return end.detail.isEmpty() ? text : text + QStringLiteral(" (%1 min)").arg(end.detail);
    case EndReason::ModemLost:
    case EndReason::WriteError:
    case EndReason::DiskFull:
        return end.detail.isEmpty() ? text
                                    : text + QStringLiteral(" (") + end.detail + QLatin1Char(')');
    default:
        return text;
    }
}

EndReason endReasonFromCode(qint64 code)
{
    if (code < qint64(EndReason::Unknown) || code > qint64(EndReason::Recovered))
        return EndReason::Unknown;
    return static_cast<EndReason>(code);
}
