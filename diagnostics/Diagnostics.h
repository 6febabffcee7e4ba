// The diagnostics run: the modem is put through a fixed list of identification and capability
// queries, and the dialogue, headed by the date, time, operating system and processor, is
// written to "Diagnostics.log" in the data directory for the vendor to read. The query
// window's text is the work buffer, so the user can look at the output there.
#pragma once

#include "modem/TfmModem.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

class EventLog;
class MessageService;
class QueryBuffer;
struct Preferences;
struct TModemParams;

// The window that shows how far the run is; the user may cancel there.
class DiagnosticsProgress
{
public:
    virtual ~DiagnosticsProgress() = default;
    // Shown with the caption and the bar at 0.
    virtual void start(const QString &caption) = 0;
    // 0..100.
    virtual void setProgress(int percent) = 0;
    virtual void finish() = 0;
    virtual bool cancelRequested() const = 0;
};

class Diagnostics final
{
public:
    static inline const QString FileName = QStringLiteral("Diagnostics.log");

    enum class Outcome
    {
        Written,    // the file holds this run's report
        PortFailed, // the port could not be opened; the user was told, no file written
        Cancelled,  // the user stopped the run; the file was left as it was
        SaveFailed, // the file could not be written; the user was told
        Busy,       // a run was already going on
    };

    // The 40 queries, in the order they are sent.
    static const QStringList &Queries();

    struct Processor
    {
        QString vendor;
        int mhz = -1; // -1 when not reported
    };
    // The first processor's vendor_id and cpu MHz (rounded) from the text of /proc/cpuinfo.
    static Processor parseCpuInfo(const QByteArray &text);

    // The report's lines for one query: the query; then the reply's non-empty lines, "OK" and
    // " " when it was answered OK; otherwise "ERROR" and " ".
    static QStringList queryLines(const QString &query, AtResult result, const QString &reply);

    // The collaborators must outlive this object; preferences and profile are read at the
    // moment of use.
    Diagnostics(TfmModem &modem, const Preferences &prefs, const TModemParams &profile,
                QueryBuffer &query, EventLog &log, MessageService &messages, QString programDir);

    // Where the run shows its progress; none runs without a window.
    DiagnosticsProgress *progress = nullptr;
    // The platform facts of the heading; tests set their own.
    std::function<QDateTime()> clock;
    std::function<QString()> osName;
    QString cpuInfoPath = QStringLiteral("/proc/cpuinfo");

    // The "Diagnostics" menu item: logs that it was clicked, then runs.
    Outcome DiagnosticsClick();
    // Opens the port when closed (and initialises the modem), sends the queries with
    // automatic recording off, restores it, and saves the file. The port stays open.
    Outcome RunDiagnostics();

    bool running() const { return m_running; }
    // The data directory's "Diagnostics.log".
    QString filePath() const;
    // The five heading lines: date, time, operating system, processor, " ".
    QStringList headingLines() const;

private:
    void log(const QString &line);

    TfmModem &m_modem;
    const Preferences &m_prefs;
    const TModemParams &m_profile;
    QueryBuffer &m_query;
    EventLog &m_log;
    MessageService &m_messages;
    QString m_programDir;
    bool m_running = false;
};
