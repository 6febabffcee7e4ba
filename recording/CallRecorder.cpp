// Recording a call. Every failure says what went wrong and brings the modem back to idle;
// whatever was received is kept and catalogued, also when the modem vanishes or the disk
// fills up in the middle of a call.
#include "CallRecorder.h"

#include "CallJournal.h"
#include "RecordingRecovery.h"

#include "audio/TdeRIFFAudioWriter.h"
#include "callers/CallerId.h"
#include "catalogue/Catalogue.h"
#include "catalogue/RecordingFileCheck.h"
#include "config/ModemSetupStore.h"
#include "config/ModemState.h"
#include "config/Preferences.h"
#include "config/ProgramDir.h"
#include "config/StorageSettings.h"
#include "config/TModemParams.h"
#include "modem/ModemWatchdog.h"
#include "modem/TfmModem.h"
#include "modem/capabilities/CompressionsFile.h"
#include "support/EventLog.h"
#include "support/MessageService.h"
#include "support/Waits.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace {
const QString RecordedName = QStringLiteral("Recorded.wav");
// A WAV file of this size or less holds no sound (a header at most).
constexpr qint64 EmptyWavBytes = 64;

QString faultText(const std::exception &e)
{
    return QStringLiteral("The recording could not be written (%1). It was stopped and what was "
                          "received is kept.")
        .arg(QString::fromUtf8(e.what()));
}

// The writer names the system's reason in its text ("Cannot write the audio data: No space
// left on device"); a full disk, quota or file-size limit reads as "disk full".
RecordingEnd writeFault(const std::exception &e)
{
    const QString text = QString::fromUtf8(e.what());
    for (const int code : {ENOSPC, EDQUOT, EFBIG}) {
        const QString reason = QString::fromLocal8Bit(std::strerror(code));
        if (text.contains(reason))
            return RecordingEnd::writeFailure(code, reason);
    }
    const qsizetype colon = text.lastIndexOf(QLatin1String(": "));
    return RecordingEnd::writeFailure(0, colon >= 0 ? text.mid(colon + 2) : text);
}

RecordingEnd endOfCall(const VoiceReceiver::HangupCause &cause)
{
    switch (cause.kind) {
    case VoiceReceiver::Hangup::Silence:
        return {EndReason::Silence, {}};
    case VoiceReceiver::Hangup::PeriodicSignal:
        return {EndReason::PeriodicSignal, {}};
    case VoiceReceiver::Hangup::ModemEvent:
        return RecordingEnd::modemEvent(cause.event);
    case VoiceReceiver::Hangup::None:
        break;
    }
    return {EndReason::Unknown, {}};
}

// The class, bits and rate of the modem's samples: from the chosen row of the compressions
// table, or, without one, from the modem's wave format itself.
void describeModemSamples(const TdeWaveFormat &modemFormat, int row, VoiceReceiver::Setup &s)
{
    if (auto compression =
            CompressionsFile::readRow(ProgramDir::file(QStringLiteral("Compressions.d")), row)) {
        bool ok = false;
        s.sampleRate = compression->vsr.toInt(&ok);
        if (!ok)
            throw std::runtime_error(QStringLiteral("'%1' is not a valid integer value")
                                         .arg(compression->vsr)
                                         .toStdString());
        s.formatName = compression->Description;
        s.bitsPerSample = compression->bps;
        return;
    }
    s.sampleRate = int(modemFormat.SamplesPerSec());
    s.bitsPerSample = QString::number(modemFormat.BitsPerSample());
    switch (modemFormat.FormatTag()) {
    case 6:
        s.formatName = QStringLiteral("ALAW");
        break;
    case 7:
        s.formatName = QStringLiteral("ULAW");
        break;
    default:
        s.formatName = modemFormat.BitsPerSample() == 8 ? QStringLiteral("UNSIGNED PCM")
                                                        : QStringLiteral("SIGNED PCM");
    }
}
} // namespace

CallRecorder::CallRecorder(TIniFile &ini, const Preferences &prefs, const TModemParams &profile,
                           const bool &voiceSupported, EventLog &log, MessageService &messages,
                           TfmModem &modem, Catalogue &catalogue, QObject *parent)
    : QObject(parent), m_ini(ini), m_prefs(prefs), m_profile(profile),
      m_voiceSupported(voiceSupported), m_log(log), m_messages(messages), m_modem(modem),
      m_catalogue(catalogue), m_watchdog(std::make_unique<ModemWatchdog>(
                                  modem, [this] { return m_profile.port; }, log))
{
    m_watchdog->busy = [this] { return recording(); };
    m_watchdog->checkSeconds = [this] { return ModemState::modemCheckSeconds(m_ini); };
    m_watchdog->startChecks();
    m_watchdog->followLinksIn(&m_ini, QStringLiteral("/dev/serial/by-id"));
    connect(m_watchdog.get(), &ModemWatchdog::reopened, this, [this] { m_modemLost = false; });
    m_receiver.onFileData = [this](const std::uint8_t *data, qint64 size) {
        if (m_writer && size > 0)
            m_writer->Write(data, size);
    };
    m_receiver.onDisplayBlock = [this](std::span<const std::uint8_t> samples) {
        if (onDisplayBlock)
            onDisplayBlock(samples);
    };
    m_receiver.log = [this](const QString &line) { m_log.appendLine(line); };

    m_timer2.setInterval(100);
    connect(&m_timer2, &QTimer::timeout, this, &CallRecorder::Timer2Timer);
    connect(&m_modem, &TfmModem::voiceData, this, &CallRecorder::voiceData);
    connect(&m_modem, &TfmModem::deviceLost, this, [this](const QString &reason) {
        m_modemLost = true;
        if (recording())
            endAfterFault(QStringLiteral("The modem was disconnected (%1). The recording was "
                                         "stopped and what was received is kept.")
                              .arg(reason),
                          {EndReason::ModemLost, reason});
        else
            m_watchdog->reopenSoon();
    });
}

CallRecorder::~CallRecorder()
{
    if (recording())
        stopForClosing();
}

QString CallRecorder::RecordFileName() const
{
    return m_prefs.wavDir + RecordedName;
}

// A recording whose final name could not be given keeps its sound under another name, so
// that neither the next recording nor the next start's recovery takes it again.
void CallRecorder::keepAside(const QString &path)
{
    const QString aside = m_prefs.wavDir + QStringLiteral("Recorded-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss")) +
                          QStringLiteral(".wav");
    if (QFile::rename(path, aside))
        m_log.appendLine(QStringLiteral("Kept an earlier recording as ") + aside);
}

QString CallRecorder::journalPath() const
{
    return m_prefs.wavDir + CallJournal::FileName;
}

void CallRecorder::message(const QString &text)
{
    m_messages.showMessage(text, MessageService::Kind::Error);
}

bool CallRecorder::acRecordExecute()
{
    if (m_modem.Receiving() || recording())
        return true;
    setListUpdates(false);
    m_log.AddLogLine(QStringLiteral("-- Recording started"));
    if (m_prefs.AutoRecord)
        m_modem.DisableAutoRecord();
    enterPhase(Phase::Preparing);
    emit preparing();

    if (!PrepareRecordFile()) {
        setListUpdates(true);
        enterPhase(Phase::Idle);
        emit startFailed();
        return false;
    }
    const TModemParams &p = m_profile;
    if (!m_modem.PortOpen() && !m_modem.OpenModemPort(p.port, true)) {
        message(m_modem.openErrorMessage(QStringLiteral("Error opening com port ") +
                                         QString::number(p.port)));
        setListUpdates(true);
        freeWriter();
        enterPhase(Phase::Idle);
        emit startFailed();
        return false;
    }
    if (Redirection && m_modem.SendCommandExpect(QStringLiteral("at+fclass=12"),
                                                 QStringLiteral("Setting modem in voice mode.."),
                                                 QStringLiteral("OK")) != AtResult::Ok) {
        Redirection = false;
        return failStart(QStringLiteral("Error Setting modem in voice mode.."));
    }
    if (!sendTwice(p.VoiceMode, QStringLiteral("Setting modem in voice mode.."),
                   QStringLiteral("OK")))
        return failStart(QStringLiteral("Error Setting modem in voice mode.."));
    const qsizetype eq = p.RecGain.indexOf(QLatin1Char('='));
    if (p.RecGain.mid(eq + 1, 4) != QLatin1String("none") &&
        !sendTwice(p.RecGain, p.RecGain, QStringLiteral("OK")))
        return failStart(QStringLiteral("Error setting Rec gain.."));
    if (!p.SilenceTimer.toUpper().contains(QLatin1String("NONE")))
        m_modem.SendCommandExpect(p.SilenceTimer, p.SilenceTimer, QStringLiteral("OK"));
    if (p.VoiceCompression.toUpper().contains(QLatin1String("NONE")))
        return failStart(QStringLiteral("Voice compression codec can not be recognized"));
    if (!sendTwice(p.VoiceCompression, p.VoiceCompression, QStringLiteral("OK")))
        return failStart(QStringLiteral("Error setting voice compession.."));

    // A profile without a chosen line uses the telephone-line selection it was given.
    const QString line = p.UseLine.isEmpty() ? p.LineSel_T : p.UseLine;
    const QString lineReply = p.UseLine.isEmpty() ? p.LineSel_T_Reply : p.UseLineRes;
    AtResult r = m_modem.SendCommandExpect(line, line, lineReply);
    if (r == AtResult::TimeOut)
        r = m_modem.SendCommandExpect(line, line, lineReply) == AtResult::Ok ? AtResult::Ok
                                                                             : AtResult::Error;
    if (r == AtResult::Error) {
        m_modem.CloseModemPort();
        return failStart(QStringLiteral("Error setting line.."));
    }

    if (!StartReceive()) {
        failStart(QStringLiteral("Error Receiving data.."));
        m_modem.InitModem();
        return false;
    }
    enterPhase(Phase::Receiving);
    emit started();
    return true;
}

bool CallRecorder::sendTwice(const QString &command, const QString &logText,
                             const QString &expected)
{
    return m_modem.SendCommandExpect(command, logText, expected) == AtResult::Ok ||
           m_modem.SendCommandExpect(command, logText, expected) == AtResult::Ok;
}

bool CallRecorder::failStart(const QString &text)
{
    message(text);
    AbortRecording();
    return false;
}

bool CallRecorder::PrepareRecordFile()
{
    if (!ModemSetupStore::hasModemFormat(m_ini) &&
        !QFile::exists(ProgramDir::file(QStringLiteral("ModemCompression.cpn")))) {
        message(QStringLiteral("None Codec found to match modem compression"));
        return false;
    }
    QDir().mkpath(m_prefs.wavDir);
    const QString path = RecordFileName();
    // A recording whose final name could not be given keeps this name; the next recording
    // must not replace it.
    if (QFile::exists(path) && QFileInfo(path).size() <= EmptyWavBytes) {
        QFile::remove(path);
    } else if (QFile::exists(path)) {
        keepAside(path);
    }
    m_file.setFileName(path);
    // Unbuffered, so that a full disk shows at the write that meets it.
    if (!m_file.open(QIODevice::ReadWrite | QIODevice::Truncate | QIODevice::Unbuffered)) {
        message(QStringLiteral("Unable to create the recording file %1: %2")
                    .arg(path, m_file.errorString()));
        return false;
    }
    m_writer = std::make_unique<TdeRIFFAudioWriter>(m_file);
    TdeWaveFormat format;
    ModemSetupStore::readFileFormat(m_ini, format);
    m_writer->setFormat(format);
    return true;
}

// The stream's set-up is settled before the modem is told to send, so that a bad format or
// compression row leaves no stream running and the start fails with its reason.
bool CallRecorder::StartReceive()
{
    VoiceReceiver::Setup setup;
    try {
        const QString cpn = ProgramDir::file(QStringLiteral("ModemCompression.cpn"));
        if (QFile::exists(cpn)) {
            setup.modemFormat.LoadFromFile(cpn);
            QFile::remove(cpn);
            ModemSetupStore::storeModemFormat(m_ini, setup.modemFormat);
        } else {
            ModemSetupStore::readModemFormat(m_ini, setup.modemFormat);
        }
        setup.fileFormat = m_writer->getFormat();
        describeModemSamples(setup.modemFormat, ModemState::compressionRow(m_ini), setup);
    } catch (const std::exception &e) {
        message(QString::fromUtf8(e.what()));
        return false;
    }
    setup.discTimeSeconds = m_prefs.DiscTime;
    m_maxMinutes = loadStorageSettings(m_ini).maxRecordingMinutes;
    m_maxBytes = qint64(m_maxMinutes) * 60 * qint64(setup.fileFormat.AvgBytesPerSec());
    setup.analyse = m_prefs.AutoRecord;
    setup.displayTrace = m_prefs.RecordTrace;
    setup.expectConnect = true;

    if (!m_modem.SendCommandNoWait(QStringLiteral("at+vrx"), QStringLiteral("Receiving data...")))
        return false;
    m_modem.setReceiving(true);
    m_modem.ComPort1().discardInput();
    try {
        m_receiver.PrepareReceive(setup);
    } catch (const std::exception &e) {
        m_receiver.Finish();
        // The modem was already told to send: it is told to stop again.
        m_modem.endVoiceReceive();
        message(QString::fromUtf8(e.what()));
        return false;
    }

    RecordStart = QDateTime::currentDateTime();
    m_filing = filingFor(RecordStart);
    CallJournal journal;
    journal.start = RecordStart;
    // What a recovery after a crash catalogues: the memo and folder the rules chose.
    journal.caller = m_filing.memo;
    journal.number = m_filing.number;
    journal.name = m_filing.name;
    journal.folderId = filingFolder();
    if (!journal.write(journalPath()))
        m_log.appendLine(QStringLiteral("Unable to write ") + journalPath());
    m_ticks = 0;
    m_refreshTicks = 0;
    m_timer2.start();
    return true;
}

void CallRecorder::voiceData(const QByteArray &received)
{
    if (!recording() || m_stopping || !m_receiver.Receiving())
        return;
    try {
        const auto *data = reinterpret_cast<const std::uint8_t *>(received.constData());
        if (m_receiver.receiveBatch(data, received.size(), m_modem.AutoCall())) {
            m_modem.setAutoCall(false);
            stopFor(endOfCall(m_receiver.hangupCause()));
        } else if (maximumLengthReached()) {
            stopFor({EndReason::MaximumLength, QString::number(m_maxMinutes)});
        }
    } catch (const std::exception &e) {
        endAfterFault(faultText(e), writeFault(e));
    }
}

// Measured in what was written, so that the limit holds however fast the modem delivers.
bool CallRecorder::maximumLengthReached() const
{
    return m_maxBytes > 0 && m_writer && m_writer->BytesWritten() >= m_maxBytes;
}

void CallRecorder::endAfterFault(const QString &text, const RecordingEnd &end)
{
    stopFor(end);
    // A call of which nothing could be kept was told about with its start and caller.
    if (!m_lastCallKept)
        return;
    m_log.appendLine(text);
    message(text);
}

void CallRecorder::Timer2Timer()
{
    if (!m_receiver.Receiving())
        return;
    if (++m_ticks * m_timer2.interval() >= 1000) {
        m_ticks = 0;
        const qint64 seconds = RecordStart.secsTo(QDateTime::currentDateTime());
        emit elapsed(
            QStringLiteral(" ") +
            QTime(0, 0).addSecs(int(seconds % 86400)).toString(QStringLiteral("hh:mm:ss")));
        // A modem that stopped sending writes nothing; the clock ends such a call as well.
        if (m_maxMinutes > 0 && seconds >= qint64(m_maxMinutes) * 60) {
            stopFor({EndReason::MaximumLength, QString::number(m_maxMinutes)});
            return;
        }
    }
    // The file's sizes are kept current, so that a crash leaves a playable recording.
    if (++m_refreshTicks >= 20 && m_writer) {
        m_refreshTicks = 0;
        try {
            m_writer->refreshSizes();
        } catch (const std::exception &e) {
            endAfterFault(faultText(e), writeFault(e));
        }
    }
}

void CallRecorder::acStopExecute()
{
    stopFor({EndReason::User, {}});
}

void CallRecorder::stopForClosing()
{
    stopFor(m_closingEnd);
}

RecordingFacts CallRecorder::measuredFacts(double seconds) const
{
    RecordingFacts facts;
    facts.lengthMs = qint64(std::nearbyint(seconds * 1000.0));
    const LevelMeter &levels = m_receiver.levels();
    if (levels.blocks() > 0) {
        facts.peak = levels.peak();
        facts.rms = levels.rms();
    }
    // Without analysed blocks (the trace off while recording) only the length can tell.
    facts.silent = seconds < RecordingFacts::SilentSeconds ||
                   (levels.blocks() > 0 && levels.voiceBlocks() == 0);
    return facts;
}

void CallRecorder::stopFor(const RecordingEnd &end)
{
    if (!recording() || m_stopping)
        return;
    m_stopping = true;
    m_lastCallKept = true;
    m_log.AddLogLine(QStringLiteral("-- Recording stopped"));
    m_log.appendLine(QStringLiteral("Recording ended: ") + endReasonDescription(end));
    enterPhase(Phase::Stopping);
    emit stopping();
    m_modem.setAutoCall(false);

    QString writeError;
    try {
        m_receiver.Finish();
    } catch (const std::exception &e) {
        writeError = QString::fromUtf8(e.what());
    }
    m_timer2.stop();
    // The modem is told to end voice reception before the port closes, so that the line is
    // released also by a modem that keeps sending when the port closes.
    m_modem.endVoiceReceive();
    m_modem.CloseModemPort();

    const TdeWaveFormat format = m_writer->getFormat();
    const double perSecond = format.AvgBytesPerSec() > 0 ? double(format.AvgBytesPerSec()) : 1.0;
    const double exactSeconds = double(m_writer->BytesWritten()) / perSecond;
    const int seconds = int(std::nearbyint(exactSeconds));
    RecordingFacts facts = measuredFacts(exactSeconds);
    facts.end = end;
    facts.callerNumber = m_filing.number;
    facts.callerName = m_filing.name;
    freeWriter();
    // A file without sound (a disk full from the start, nothing received) is no recording: no
    // row may lead to it. The call itself is still told of, after the modem is back.
    m_lastCallKept = inspectRecordingFile(RecordFileName()) == RecordingFileState::Sound;
    QString lostText;
    if (m_lastCallKept) {
        if (facts.silent)
            m_log.appendLine(
                exactSeconds < RecordingFacts::SilentSeconds
                    ? QStringLiteral("The recording is shorter than 2 seconds: marked silent")
                    : QStringLiteral("The recording holds no voice: marked silent"));
        catalogueRecording(RecordStart, seconds, m_filing.memo, filingFolder(), facts);
    } else {
        lostText = dropCallWithoutSound(RecordStart, facts);
    }
    // Said when the modem is back (or the program ends, which holds for no box).
    const auto tellLoss = qScopeGuard([this, lostText] {
        if (!lostText.isEmpty() && !Waits::ending())
            message(lostText);
    });
    setListUpdates(true);
    m_stopping = false;
    if (!writeError.isEmpty())
        m_log.appendLine(QStringLiteral("Error while finishing the recording: ") + writeError);

    Waits::WaitTicks(9);
    // A program that ends meanwhile does not take the modem up again, nor say it could not.
    if (Waits::ending()) {
        m_log.appendLine(QStringLiteral("The program ends; the modem is not armed again"));
        enterPhase(Phase::Idle);
        emit stopped();
        return;
    }
    if (!m_modem.OpenModemPort(m_profile.port, true)) {
        // A modem that went away was reported already; it is taken up again when it is back.
        if (!m_modemLost)
            message(m_modem.openErrorMessage(m_profile.port));
        m_watchdog->reopenSoon();
        enterPhase(Phase::Idle);
        emit stopped();
        return;
    }
    m_modemLost = false;
    m_modem.rearmAutoRecord();
    m_catalogue.DataSource1DataChange();
    enterPhase(Phase::Idle);
    emit stopped();
}

// The file gets its final name first, then the row is added: a kill between the two leaves a
// named file and the journal, from which the next start adds the one missing row.
bool CallRecorder::catalogueRecording(const QDateTime &start, int seconds, const QString &caller,
                                      const QString &folderId, const RecordingFacts &facts)
{
    const QString path = RecordFileName();
    const QString finalPath = m_catalogue.recordingFilePathFor(start);
    CallJournal journal;
    journal.start = start;
    journal.caller = caller;
    journal.number = facts.callerNumber;
    journal.name = facts.callerName;
    journal.folderId = folderId;
    journal.id = m_catalogue.NewUniqueCode();
    journal.finalName = QFileInfo(finalPath).fileName();
    if (!journal.write(journalPath()))
        m_log.appendLine(QStringLiteral("Unable to write ") + journalPath());
    const bool renamed =
        !finalPath.isEmpty() && !QFile::exists(finalPath) && QFile::rename(path, finalPath);
    if (!renamed)
        m_log.appendLine(QStringLiteral("Unable to rename ") + path + QStringLiteral(" to ") +
                         finalPath);
    const bool added = m_catalogue.AddRecordingRow(start, seconds, caller, journal.id, folderId);
    // Also when the row could not be saved yet: it stays in memory and goes with the next save.
    RecordingFacts kept = facts;
    kept.bytes = QFileInfo(renamed ? finalPath : path).size();
    m_catalogue.Details.store(journal.id, kept);
    if (added) {
        QFile::remove(journalPath());
        emit catalogued(journal.id);
    }
    return added;
}

// The call is kept in the log (and so on the web page) and announced; its file goes, so that
// neither a row nor the next start's recovery takes it for a recording.
QString CallRecorder::dropCallWithoutSound(const QDateTime &start, const RecordingFacts &facts)
{
    QFile::remove(RecordFileName());
    QFile::remove(journalPath());
    const bool writeFailed =
        facts.end.reason == EndReason::DiskFull || facts.end.reason == EndReason::WriteError;
    const QString why =
        writeFailed
            ? endReasonDescription(facts.end)
            : QStringLiteral("nothing was received (%1)").arg(endReasonDescription(facts.end));
    // The caller as the desktop's notices name it: "Anne (5551234)", the number, "Withheld".
    const QString number = facts.callerNumber.trimmed(), name = facts.callerName.trimmed();
    QString caller = name.isEmpty() ? number : name;
    if (!name.isEmpty() && CallerId::kindOf(number) == CallerId::Kind::Number)
        caller = QStringLiteral("%1 (%2)").arg(name, number);
    const QString text = QStringLiteral("The call at %1 (%2) was not recorded: %3")
                             .arg(start.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                  caller.isEmpty() ? QStringLiteral("no caller ID") : caller, why);
    m_log.appendLine(text);
    emit notRecorded(start, facts, why);
    return text;
}

void CallRecorder::freeWriter()
{
    if (!m_writer)
        return;
    try {
        m_writer->complete();
    } catch (const std::exception &e) {
        m_log.appendLine(QStringLiteral("Error while finishing the recording: ") +
                         QString::fromUtf8(e.what()));
    }
    m_writer.reset();
    m_file.close();
}

void CallRecorder::setListUpdates(bool enabled)
{
    m_catalogue.setListUpdatesEnabled(enabled);
}

void CallRecorder::AbortRecording()
{
    setListUpdates(true);
    freeWriter();
    // Nothing was received: no file to keep, no call to recover.
    QFile::remove(journalPath());
    if (QFileInfo(RecordFileName()).size() <= EmptyWavBytes)
        QFile::remove(RecordFileName());
    // The modem stays the recording's until it is back in its idle state.
    const auto done = qScopeGuard([this] {
        enterPhase(Phase::Idle);
        emit startFailed();
    });
    const int port = m_profile.port;
    if (m_modem.OpenModemPort(port, true)) {
        m_modem.InitModem();
        m_modem.rearmAutoRecord();
        return;
    }
    message(m_modem.openErrorMessage(port));
    m_watchdog->reopenSoon();
}

bool CallRecorder::recordAnsweredCall(const CallFiling::Decision &decision)
{
    m_answeredFiling = decision;
    const auto done = qScopeGuard([this] { m_answeredFiling.reset(); });
    return acRecordExecute();
}

CallFiling::Decision CallRecorder::filingFor(const QDateTime &start)
{
    const QString callerText = m_modem.CallerText();
    if (!fileCall && !m_answeredFiling) {
        CallFiling::Decision plain;
        plain.number = callerText;
        plain.memo = callerText;
        return plain;
    }
    const CallFiling::Decision d =
        m_answeredFiling ? *m_answeredFiling : fileCall(callerText, start);
    if (d.rule >= 0)
        m_log.appendLine(QStringLiteral("Rule %1 applies to the call of %2: %3")
                             .arg(d.rule + 1)
                             .arg(d.callerText(), d.ruleText));
    // Only a call the user records by hand gets here with such a rule: the user decides.
    if (d.neverRecord)
        m_log.appendLine(QStringLiteral("Recorded by hand, although the rule says never to "
                                        "record this caller"));
    return d;
}

// The rule's folder, else the one shown; a folder deleted since leaves the row in the one
// shown (the catalogue sees to that).
QString CallRecorder::filingFolder() const
{
    return m_filing.folderId.isEmpty() ? m_catalogue.currentFolderId() : m_filing.folderId;
}

void CallRecorder::enterPhase(Phase phase)
{
    if (m_phase == phase)
        return;
    m_phase = phase;
    emit phaseChanged(phase);
}

// A recovered file was never measured: its length is known, its levels are not.
RecordingFacts CallRecorder::recoveredFacts(const RecoveredWav &wav)
{
    RecordingFacts facts;
    facts.end = {EndReason::Recovered, {}};
    const double seconds =
        wav.avgBytesPerSec > 0 ? double(wav.dataBytes) / double(wav.avgBytesPerSec) : 0.0;
    facts.lengthMs = qint64(std::nearbyint(seconds * 1000.0));
    facts.silent = seconds < RecordingFacts::SilentSeconds;
    return facts;
}

void CallRecorder::recoverInterruptedRecording()
{
    const QString path = RecordFileName();
    const std::optional<CallJournal> journal = CallJournal::read(journalPath());
    if (!QFile::exists(path)) {
        if (journal)
            recoverRenamedRecording(*journal);
        QFile::remove(journalPath());
        return;
    }
    const std::optional<RecoveredWav> wav = completeWavFile(path);
    if (!wav || wav->dataBytes == 0) {
        m_log.appendLine(QStringLiteral("An interrupted recording held no sound: ") + path);
        QFile::remove(journalPath());
        return;
    }
    const int seconds = int(std::nearbyint(double(wav->dataBytes) / double(wav->avgBytesPerSec)));
    // Without a journal (an earlier version's file) the start is guessed from the file's time.
    const QDateTime start =
        journal ? journal->start : QFileInfo(path).lastModified().addSecs(-seconds);
    const QString caller = journal ? journal->caller : QStringLiteral(" ");
    RecordingFacts facts = recoveredFacts(*wav);
    if (journal) {
        facts.callerNumber = journal->number;
        facts.callerName = journal->name;
    }
    if (!catalogueRecording(start, seconds, caller, journal ? journal->folderId : QString(), facts))
        return;
    if (QFile::exists(path))
        keepAside(path);
    else
        m_log.appendLine(QStringLiteral("Recovered an interrupted recording as ") +
                         m_catalogue.recordingFilePathFor(start));
    m_catalogue.DataSource1DataChange();
}

// The program ended after the file was given its final name: the row is added unless it was
// saved before the end came.
void CallRecorder::recoverRenamedRecording(const CallJournal &journal)
{
    const QString finalPath = m_catalogue.recordingFilePathFor(journal.start);
    if (journal.finalName.isEmpty() || QFileInfo(finalPath).fileName() != journal.finalName ||
        !QFile::exists(finalPath) || m_catalogue.holdsRecording(journal.id))
        return;
    const std::optional<RecoveredWav> wav = completeWavFile(finalPath);
    if (!wav || wav->avgBytesPerSec == 0)
        return;
    const int seconds = int(std::nearbyint(double(wav->dataBytes) / double(wav->avgBytesPerSec)));
    if (m_catalogue.AddRecordingRow(journal.start, seconds, journal.caller, journal.id,
                                    journal.folderId)) {
        RecordingFacts facts = recoveredFacts(*wav);
        facts.bytes = QFileInfo(finalPath).size();
        facts.callerNumber = journal.number;
        facts.callerName = journal.name;
        m_catalogue.Details.store(journal.id, facts);
        m_log.appendLine(QStringLiteral("Recovered an interrupted recording as ") + finalPath);
        m_catalogue.DataSource1DataChange();
        emit catalogued(journal.id);
    }
}
