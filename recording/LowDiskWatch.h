// Watching the recordings disk: when its free space would hold less than an hour of recording
// in the chosen format, the user is warned once, and again below ten minutes; a disk that got
// room again is watched afresh. Both programs show the warning their own way (the window in its
// status bar and the tray, the headless recorder on standard error); it is always logged.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

class EventLog;
struct Preferences;

class LowDiskWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LowDiskWatch)

public:
    static constexpr int FirstWarningMinutes = 60;
    static constexpr int SecondWarningMinutes = 10;
    static constexpr int CheckMs = 30 * 1000;

    LowDiskWatch(const Preferences &prefs, EventLog &log, QObject *parent = nullptr);

    // The free space of the disk holding a folder, in bytes; no value when unknown. Default:
    // the file system's.
    std::function<std::optional<qint64>(const QString &folder)> freeSpace;

    // Looks now and every CheckMs from now on.
    void start();
    // Minutes of recording the recordings disk still holds; no value when unknown.
    std::optional<qint64> minutesLeft() const;
    // Looks at the disk and warns when it has just fallen below a mark.
    void check();

signals:
    // A warning for the user, with the minutes left.
    void lowDisk(const QString &text, qint64 minutes);
    // The disk has room for more than the first mark again.
    void roomAgain();

private:
    qint64 bytesPerSecond() const;

    const Preferences &m_prefs;
    EventLog &m_log;
    QTimer m_timer;
    int m_warned = 0; // 0: none yet, 1: below the first mark, 2: below the second
};
