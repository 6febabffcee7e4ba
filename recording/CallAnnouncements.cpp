#include "CallAnnouncements.h"

#include "CallRecorder.h"
#include "callers/CallerId.h"
#include "callers/CallerNames.h"
#include "catalogue/Catalogue.h"
#include "modem/TfmModem.h"
#include "support/DesktopNotifications.h"

CallAnnouncements::CallAnnouncements(TfmModem &modem, CallRecorder &recorder, Catalogue &catalogue,
                                     CallerNames &names, DesktopNotifications &notifications,
                                     std::function<bool()> enabled, QObject *parent)
    : QObject(parent), m_catalogue(catalogue), m_names(names), m_notifications(notifications),
      m_enabled(std::move(enabled))
{
    connect(&modem, &TfmModem::callerIdShown, this, &CallAnnouncements::callerArrived);
    connect(&recorder, &CallRecorder::catalogued, this, &CallAnnouncements::recordingSaved);
    connect(&recorder, &CallRecorder::notRecorded, this, &CallAnnouncements::callNotRecorded);
}

QString CallAnnouncements::callerText(const QString &number, const QString &name)
{
    if (CallerId::kindOf(number) != CallerId::Kind::Number || name.isEmpty())
        return name.isEmpty() ? number : name;
    return QStringLiteral("%1 (%2)").arg(name, number);
}

QString CallAnnouncements::lengthText(qint64 ms)
{
    const qint64 seconds = (qMax<qint64>(ms, 0) + 500) / 1000;
    const qint64 hours = seconds / 3600;
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                          .arg(hours > 0 ? (seconds / 60) % 60 : seconds / 60,
                                               hours > 0 ? 2 : 1, 10, QLatin1Char('0'))
                                          .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return hours > 0 ? QString::number(hours) + QLatin1Char(':') + minutesAndSeconds
                     : minutesAndSeconds;
}

void CallAnnouncements::callerArrived(const QString &number)
{
    if (!m_enabled())
        return;
    const QString name = m_names.nameFor(number);
    const bool named = CallerId::kindOf(number) == CallerId::Kind::Number && !name.isEmpty();
    DesktopNotifications::Notice notice;
    notice.summary = QStringLiteral("Incoming call");
    notice.body = named ? name + QLatin1Char('\n') + number : (name.isEmpty() ? number : name);
    // A caller-ID line repeated within the call replaces its notice.
    notice.replaceKey = QStringLiteral("incoming call");
    m_notifications.notify(notice);
}

void CallAnnouncements::recordingSaved(const QString &id)
{
    if (!m_enabled())
        return;
    // The recording's details keep the caller as the call gave it.
    const std::optional<RecordingFacts> facts = m_catalogue.Details.facts(id);
    const QString number = facts ? facts->callerNumber : QString();
    const QString name = facts ? facts->callerName : QString();
    QStringList lines;
    lines.append(number.isEmpty() && name.isEmpty() ? QStringLiteral("No caller ID")
                                                    : callerText(number, name));
    if (facts) {
        if (facts->lengthMs >= 0)
            lines.append(QStringLiteral("Length ") + lengthText(facts->lengthMs));
        if (const QString ended = endReasonText(facts->end); !ended.isEmpty())
            lines.append(QStringLiteral("Ended: ") + ended);
    }
    DesktopNotifications::Notice notice;
    notice.summary = QStringLiteral("Recording saved");
    notice.body = lines.join(QLatin1Char('\n'));
    notice.actionLabel = QStringLiteral("Show recording");
    m_notifications.notify(notice, [this, id] {
        if (showRecording)
            showRecording(id);
    });
}

void CallAnnouncements::callNotRecorded(const QDateTime &start, const RecordingFacts &facts,
                                        const QString &why)
{
    if (!m_enabled())
        return;
    DesktopNotifications::Notice notice;
    notice.summary = QStringLiteral("Call not recorded");
    notice.body = (facts.callerNumber.isEmpty() && facts.callerName.isEmpty()
                       ? QStringLiteral("No caller ID")
                       : callerText(facts.callerNumber, facts.callerName)) +
                  QLatin1Char('\n') + start.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) +
                  QLatin1Char('\n') + why;
    m_notifications.notify(notice);
}
