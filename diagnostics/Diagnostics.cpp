// The diagnostics run and the layout of its report.
#include "Diagnostics.h"

#include "catalogue/RecordingNames.h"
#include "config/Preferences.h"
#include "config/TModemParams.h"
#include "modem/discovery/QueryBuffer.h"
#include "support/AtomicFile.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <cmath>

namespace {
// A reply line longer than this is cut: a modem sending garbage must not fill the report.
constexpr qsizetype MaxReplyLineLength = 1024;
// /proc/cpuinfo is read up to here; the first processor's lines come first.
constexpr qint64 MaxCpuInfoBytes = 64 * 1024;

QString withoutControls(const QString &text)
{
    QString clean;
    clean.reserve(text.size());
    for (const QChar c : text) {
        if (c.category() != QChar::Other_Control && c.category() != QChar::Other_Format)
            clean += c;
    }
    return clean;
}

// Undoes the program's own guard against re-entry when the run ends however it ends.
class RunningFlag
{
public:
    explicit RunningFlag(bool &flag) : m_flag(flag) { m_flag = true; }
    ~RunningFlag() { m_flag = false; }
    RunningFlag(const RunningFlag &) = delete;
    RunningFlag &operator=(const RunningFlag &) = delete;

private:
    bool &m_flag;
};
} // namespace

const QStringList &Diagnostics::Queries()
{
    static const QStringList queries{
        "ate0",     "ati0",     "ati1",     "ati2",     "ati3",     "ati4",        "ati5",
        "ati6",     "ati7",     "ati8",     "ati9",     "ati10",    "at+fclass=8", "at+fclass=?",
        "at+VNH=?", "at+FMI?",  "at+FMM?",  "at+FMR?",  "at+GMI?",  "at+GMM?",     "at+GMR?",
        "at+FLO=?", "at+VIP=?", "at+VTS=?", "at+VXT=?", "at+VGR=?", "at+VGT=?",    "at+VIT=?",
        "at+VLS=?", "at+VRA=?", "at+VRN=?", "at+VSD=?", "at+VSM=?", "at+VTD=?",    "at+VDR=?",
        "at+VDT=?", "at+VEM=?", "at+VBT=?", "at+VPP=?", "at+VPR=?"};
    return queries;
}

Diagnostics::Processor Diagnostics::parseCpuInfo(const QByteArray &text)
{
    Processor processor;
    bool vendorSeen = false, clockSeen = false;
    for (const QByteArray &line : text.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QByteArray key = line.left(colon).trimmed();
        const QString value = withoutControls(QString::fromUtf8(line.mid(colon + 1)).trimmed());
        if (key == "vendor_id" && !vendorSeen) {
            processor.vendor = value.left(64);
            vendorSeen = true;
        } else if (key == "cpu MHz" && !clockSeen) {
            bool ok = false;
            const double mhz = value.toDouble(&ok);
            if (ok && mhz > 0 && mhz < 1e6)
                processor.mhz = static_cast<int>(std::lround(mhz));
            clockSeen = true;
        }
    }
    return processor;
}

QStringList Diagnostics::queryLines(const QString &query, AtResult result, const QString &reply)
{
    QStringList lines{query};
    if (result != AtResult::Ok)
        return lines << QStringLiteral("ERROR") << QStringLiteral(" ");
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    for (const QString &line : reply.split(breaks)) {
        const QString clean = withoutControls(line).left(MaxReplyLineLength);
        if (!clean.trimmed().isEmpty())
            lines << clean;
    }
    return lines << QStringLiteral("OK") << QStringLiteral(" ");
}

Diagnostics::Diagnostics(TfmModem &modem, const Preferences &prefs, const TModemParams &profile,
                         QueryBuffer &query, EventLog &log, MessageService &messages,
                         QString programDir)
    : clock([] { return QDateTime::currentDateTime(); }),
      osName([] { return QSysInfo::prettyProductName(); }), m_modem(modem), m_prefs(prefs),
      m_profile(profile), m_query(query), m_log(log), m_messages(messages),
      m_programDir(std::move(programDir))
{}

QString Diagnostics::filePath() const
{
    return m_programDir + QLatin1Char('/') + FileName;
}

QStringList Diagnostics::headingLines() const
{
    const QDateTime now = clock();
    const DateTimeFormats formats = DateTimeFormats::system();
    QByteArray cpuInfo;
    if (QFile file(cpuInfoPath); file.open(QIODevice::ReadOnly))
        cpuInfo = file.read(MaxCpuInfoBytes);
    const Processor processor = parseCpuInfo(cpuInfo);
    return {formats.dateText(now.date()), formats.timeText(now.time()), osName(),
            processor.vendor + QLatin1Char(' ') + QString::number(processor.mhz) +
                QStringLiteral("Mhz"),
            QStringLiteral(" ")};
}

void Diagnostics::log(const QString &line)
{
    try {
        m_log.AddLogLine(line);
    } catch (const FileCreateError &e) {
        // The line stays in memory; the user learns that the log file cannot be written.
        m_messages.showMessage(QString::fromStdString(e.what()), MessageService::Kind::Error);
    }
}

Diagnostics::Outcome Diagnostics::DiagnosticsClick()
{
    log(QStringLiteral("-- Options -> Diagnostics clicked"));
    return RunDiagnostics();
}

Diagnostics::Outcome Diagnostics::RunDiagnostics()
{
    if (m_running)
        return Outcome::Busy;
    RunningFlag running(m_running);
    log(QStringLiteral("Diagnostics"));
    if (!m_modem.PortOpen() && !m_modem.OpenModemPort(m_profile.port, true)) {
        m_messages.showMessage(m_modem.openErrorMessage(m_profile.port),
                               MessageService::Kind::Error);
        return Outcome::PortFailed;
    }

    QStringList lines = headingLines();
    m_query.setText(lines.join(QLatin1Char('\n')));
    if (progress)
        progress->start(QStringLiteral("Progress..."));
    const bool autoRecord = m_prefs.AutoRecord;
    if (autoRecord)
        m_modem.DisableAutoRecord();

    // Each query waits at most the command time-out, so a modem that stopped answering costs
    // that much per query; the user may stop the run between two queries.
    bool cancelled = false;
    const QStringList &queries = Queries();
    for (qsizetype i = 0; i < queries.size(); ++i) {
        if (progress && progress->cancelRequested()) {
            cancelled = true;
            break;
        }
        QString reply;
        const AtResult result = m_modem.SendCommand(queries[i], reply);
        const QStringList more = queryLines(queries[i], result, reply);
        lines << more;
        m_query.addText(more.join(QLatin1Char('\n')));
        if (progress)
            progress->setProgress(static_cast<int>(std::lround((i + 1) * 100.0 / queries.size())));
    }

    if (progress)
        progress->finish();
    if (autoRecord)
        m_modem.EnableAutoRecord();
    if (cancelled) {
        log(QStringLiteral("Diagnostics cancelled"));
        return Outcome::Cancelled;
    }

    // The report is written from the lines gathered here: the query window's text is bounded
    // and the user may edit it while the run goes on.
    QByteArray content;
    for (const QString &line : lines)
        content += line.toUtf8() + "\r\n";
    if (!AtomicFile::write(filePath(), content)) {
        const FileSaveError error(QStringLiteral("Cannot write ") + filePath(), errno);
        m_messages.showMessage(error.describe(), MessageService::Kind::Error);
        return Outcome::SaveFailed;
    }
    return Outcome::Written;
}
