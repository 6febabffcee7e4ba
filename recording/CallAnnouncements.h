// An incoming call (its caller's name and number), each recording saved (caller, length, why
// it ended) and each call of which nothing could be kept (caller, start, why) announced through
// the desktop's notifications, besides the program's own caller-ID window; the saved
// recording's notice offers to show it in the program.
#pragma once

#include <QObject>
#include <functional>

class QDateTime;
struct RecordingFacts;
class CallerNames;
class CallRecorder;
class Catalogue;
class DesktopNotifications;
class TfmModem;

class CallAnnouncements final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CallAnnouncements)

public:
    // Everything given must outlive this object. enabled is asked before each notice (the
    // user's option).
    CallAnnouncements(TfmModem &modem, CallRecorder &recorder, Catalogue &catalogue,
                      CallerNames &names, DesktopNotifications &notifications,
                      std::function<bool()> enabled, QObject *parent = nullptr);

    // Shows the recording of this code in the program; the saved notice's action.
    std::function<void(const QString &id)> showRecording;

    // "Anne Smith (020 7946 0018)", the number alone for a caller the directory does not name,
    // "Withheld" or "Unavailable".
    static QString callerText(const QString &number, const QString &name);
    // "0:42", "1:02:03".
    static QString lengthText(qint64 ms);

private:
    void callerArrived(const QString &number);
    void recordingSaved(const QString &id);
    void callNotRecorded(const QDateTime &start, const RecordingFacts &facts, const QString &why);

    Catalogue &m_catalogue;
    CallerNames &m_names;
    DesktopNotifications &m_notifications;
    std::function<bool()> m_enabled;
};
