// Every wait here keeps the event loop running, so the windows stay painted and the port's
// data arrives while a command or a probe is waiting.
#include "ModemDiscovery.h"

#include "DefaultVoiceCommands.h"
#include "IdentityReply.h"
#include "TfmParse.h"

#include "audio/TdeWaveFormat.h"
#include "config/ModemSetupStore.h"
#include "config/ModemState.h"
#include "config/TIniFile.h"
#include "modem/PortPermission.h"
#include "modem/QtSerialPort.h"
#include "modem/TfmModem.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QCoreApplication>
#include <cmath>

namespace {
const QString Ok = QStringLiteral("ok");

QString comText(int port)
{
    return QStringLiteral("COM%1").arg(port);
}

// The port number of an attached port named exactly "COM1".."COM16"; 0 otherwise.
int portNumberOf(const QString &attachedTo)
{
    for (int n = 1; n <= 16; ++n) {
        if (attachedTo == comText(n))
            return n;
    }
    return 0;
}
} // namespace

ModemDiscovery::ModemDiscovery(TIniFile &ini, TModemParams &profile, bool &voiceSupported,
                               TfmModem &modem, TfmParse &parse, EventLog &log,
                               MessageService &messages, QString byIdDir,
                               std::unique_ptr<SerialPort> probePort, QObject *parent)
    : QObject(parent), m_ini(ini), m_profile(profile), m_voiceSupported(voiceSupported),
      m_modem(modem), m_parse(parse), m_log(log), m_messages(messages),
      m_byIdDir(std::move(byIdDir)),
      m_probePort(probePort ? std::move(probePort) : std::make_unique<QtSerialPort>(ini))
{
    SerialSettings settings = m_probePort->settings();
    settings.baudRate = ProbeBaudRate;
    settings.flow = SerialFlow::None;
    m_probePort->setSettings(settings);
    // An entry never filled has no port yet.
    for (TModemParams &entry : m_candidates)
        entry.port = 0;
}

ModemDiscovery::~ModemDiscovery()
{
    m_probePort->close();
}

void ModemDiscovery::addLogLine(const QString &line)
{
    try {
        m_log.AddLogLine(line);
    } catch (const FileCreateError &e) {
        // The line stays in memory; the user learns that the log file cannot be written.
        m_messages.showMessage(QString::fromStdString(e.what()), MessageService::Kind::Error);
    }
}

void ModemDiscovery::showError(const QString &text)
{
    m_messages.showMessage(text, MessageService::Kind::Error);
}

void ModemDiscovery::setControlsEnabled(bool enabled)
{
    if (m_controlsEnabled == enabled)
        return;
    m_controlsEnabled = enabled;
    emit controlsEnabledChanged(enabled);
}

void ModemDiscovery::setGauge(bool visible, int value)
{
    m_gaugeVisible = visible;
    m_gaugeValue = value;
    emit gaugeChanged(visible, value);
}

void ModemDiscovery::setList(const QStringList &lines)
{
    m_listLines = lines;
    emit listChanged(lines);
    setSelected(-1);
}

void ModemDiscovery::setSelected(int index)
{
    const int wanted = index >= 0 && index < m_listLines.size() ? index : -1;
    if (wanted == m_selected)
        return;
    m_selected = wanted;
    emit selectedChanged(wanted);
}

void ModemDiscovery::writeVoiceFeatures(bool on)
{
    m_voiceSupported = on;
    ModemState::setVoiceSupported(m_ini, on);
}

int ModemDiscovery::FindModems()
{
    m_deniedDevices.clear();
    setControlsEnabled(true);
    setList({});
    try {
        ModemSetupStore::forgetModem(m_ini);
    } catch (const IniWriteError &) {
        // A stale [Modem] is rewritten when a modem is confirmed.
    }

    const QList<InstalledModem> installed = InstalledModems::list(m_byIdDir, m_ini);
    if (!installed.isEmpty()) {
        QStringList lines;
        m_count = int(std::min<qsizetype>(installed.size(), MaxCandidates));
        for (int i = 0; i < m_count; ++i) {
            TModemParams &entry = m_candidates[std::size_t(i)];
            entry.Model = installed[i].displayName;
            entry.PortName = installed[i].attachedTo;
            if (const int n = portNumberOf(entry.PortName))
                entry.port = n;
            lines.append(entry.Model);
        }
        setList(lines);
        return m_count;
    }
    scanPorts();
    return m_count;
}

void ModemDiscovery::scanPorts()
{
    emit progressShown(ProgressCaption);
    addLogLine(QStringLiteral("----- finding modems -----"));
    // The modem link must not hold a port the scan is about to open.
    if (m_modem.PortOpen())
        m_modem.CloseModemPort();

    int count = 0;
    QStringList lines;
    for (int p = 1; p <= ScanLastPort; ++p) {
        emit progressChanged(int(std::lround(p * 100.0 / ScanLastPort)));
        if (!m_modem.TryComPort(*m_probePort, p)) {
            if (!m_modem.deniedDevice().isEmpty())
                m_deniedDevices.append(m_modem.deniedDevice());
            addLogLine(QStringLiteral("Opening COM%1:").arg(p) +
                       QStringLiteral(" Port Unavailable."));
            continue;
        }
        addLogLine(QStringLiteral("Opening COM%1:").arg(p) + QStringLiteral(" Successful!"));
        bool found = false;
        try {
            found = m_modem.ProbeComPort(*m_probePort, p);
        } catch (const SerialError &e) {
            // The port went away between the two openings, or was taken from this user:
            // nothing answers there.
            if (e.kind() == SerialError::Kind::Permission && !e.device().isEmpty())
                m_deniedDevices.append(e.device());
        }
        if (!found)
            continue;
        addLogLine(QStringLiteral("Modem Found on COM%1:").arg(p));
        m_probePort->close();
        m_modem.OpenModemPort(p, false);
        m_modem.SendCommandExpect(QStringLiteral("atE0"), QStringLiteral("echo off"), Ok);
        if (count < MaxCandidates) {
            TModemParams &entry = m_candidates[std::size_t(count)];
            ++count;
            identify(entry);
            entry.PortName = QStringLiteral("com%1").arg(p);
            entry.port = p;
            lines.append(entry.Model);
            m_count = count;
            setList(lines);
        }
        m_modem.CloseModemPort();
    }
    m_probePort->close();
    m_count = count;
    addLogLine(QStringLiteral("----- finding modems finished -----"));
    emit progressHidden();
}

QString ModemDiscovery::identityQuery(const char *first, const char *second, const char *third,
                                      const QString &unspecified)
{
    for (const char *command : {first, second, third}) {
        if (!command)
            continue;
        QString reply;
        if (m_modem.SendCommand(QLatin1String(command), reply) == AtResult::Ok)
            return IdentityReply::cut(reply);
    }
    return unspecified;
}

void ModemDiscovery::identify(TModemParams &entry)
{
    entry.Model = identityQuery("AT+GMM?", "AT+FMM?", "ATI4", QStringLiteral("Unspecified model"));
    entry.Manufacturer =
        identityQuery("AT+GMI?", "AT+FMI?", nullptr, QStringLiteral("Unspecified manufacturer"));
    entry.DriverDate =
        identityQuery("AT+GMR?", "AT+FMR?", nullptr, QStringLiteral("Unspecified driver"));
}

bool ModemDiscovery::prepareShow()
{
    if (m_count == 0) {
        writeVoiceFeatures(false);
        // Without a modem, ports the system refused to this user are the likely reason.
        QString text = NoModemMessage;
        if (!m_deniedDevices.isEmpty())
            text += QLatin1Char('\n') + PortPermission::advice(m_deniedDevices);
        m_messages.showMessage(text, MessageService::Kind::Information);
        emit closeRequested();
        return false;
    }
    setControlsEnabled(true);
    setSelected(0);
    return true;
}

void ModemDiscovery::confirmFirst()
{
    if (prepareShow())
        ConfirmModem();
}

void ModemDiscovery::ConfirmModem()
{
    const int k = m_selected;
    if (k < 0 || k >= m_count) {
        emit closeRequested();
        return;
    }
    TModemParams &entry = m_candidates[std::size_t(k)];
    m_profile = entry;
    setControlsEnabled(false);
    QCoreApplication::processEvents();

    try {
        // The modem link may still be open on the previous modem's port.
        if (m_modem.PortOpen())
            m_modem.CloseModemPort();
        if (!m_modem.OpenModemPort(entry.port, false)) {
            writeVoiceFeatures(false);
            showError(m_modem.openErrorMessage(
                QStringLiteral("Error detected opening Com%1\nPossible cause\n"
                               "Your modem is bound to another software such as a fax "
                               "software")
                    .arg(entry.port)));
            setControlsEnabled(true);
            return;
        }
        m_modem.SendCommandExpect(QStringLiteral("atE0"), QStringLiteral("echo off.."), Ok);
        if (m_modem.SendCommandExpect(QStringLiteral("at"), QStringLiteral("at"), Ok) !=
            AtResult::Ok) {
            writeVoiceFeatures(false);
            showError(QStringLiteral("Error detected\nPossible cause\n"
                                     "Your modem is not connected to port"));
            m_modem.CloseModemPort();
            setControlsEnabled(true);
            emit closeRequested();
            return;
        }

        ModemSetupStore::storeIdentity(m_ini, m_profile);

        if (voiceCheck())
            writeVoiceProfile(entry);
        else
            writeDataOnlyProfile();
    } catch (const std::exception &e) {
        // A file that cannot be written ends the confirmation, not the window.
        setGauge(false, m_gaugeValue);
        showError(QString::fromStdString(e.what()));
    }
    setControlsEnabled(true);
    m_modem.CloseModemPort();
    emit closeRequested();
}

bool ModemDiscovery::voiceCheck()
{
    m_voiceSupported = false;
    const QString log = QStringLiteral("checking V.253 standard");
    m_voiceSupported =
        m_modem.SendCommandExpect(QStringLiteral("at+fclass=8"), log, Ok) == AtResult::Ok &&
        m_modem.SendCommandExpect(QStringLiteral("at+vls=0"), log, Ok) == AtResult::Ok;
    return m_voiceSupported;
}

void ModemDiscovery::gaugeStep(int step)
{
    setGauge(true, int(std::lround(step * 100.0 / GaugeSteps)));
}

void ModemDiscovery::probeCommand(QString TModemParams::*field)
{
    const QString command = m_profile.*field;
    const bool accepted = m_modem.SendCommandExpect(command, command, Ok) == AtResult::Ok;
    ModemSetupStore::storeCommand(m_ini, field, accepted ? command : QStringLiteral("none"));
}

void ModemDiscovery::writeVoiceProfile(TModemParams &entry)
{
    setGauge(true, 0);
    writeVoiceFeatures(true);
    applyDefaultVoiceCommands(entry);
    m_profile = entry;
    ModemSetupStore::storeCommand(m_ini, &TModemParams::VoiceMode, m_profile.VoiceMode);

    int step = 0;
    probeCommand(&TModemParams::InitVoice);
    gaugeStep(++step);
    probeCommand(&TModemParams::DisCallerId);
    gaugeStep(++step);
    probeCommand(&TModemParams::ForCallerId);
    gaugeStep(++step);
    probeCommand(&TModemParams::UnfCallerId);
    gaugeStep(++step);
    probeCommand(&TModemParams::Distinctive);
    gaugeStep(++step);

    addLogLine(QStringLiteral("now vsm"));
    // The format of an earlier modem's compression must not outlive it, also when this
    // modem reports no compression the program knows.
    ModemSetupStore::forgetModemFormat(m_ini);
    try {
        if (m_parse.ParseCompressionList(false)) {
            m_parse.ChooseDefaultCompression();
            m_parse.MatchModemCompression();
        }
    } catch (const FileAccessError &e) {
        // Without its table the modem is still configured; the user learns why recording
        // will not find a compression.
        showError(QString::fromStdString(e.what()));
    }
    gaugeStep(++step);

    addLogLine(QStringLiteral("now vls"));
    m_parse.RecordLineSelection();
    gaugeStep(++step);

    ModemSetupStore::storeCommand(m_ini, &TModemParams::SilenceTimer, QStringLiteral("none"));
    for (QString TModemParams::*field : {&TModemParams::ToneGeneration, &TModemParams::VoiceProcess,
                                         &TModemParams::VoiceTrx, &TModemParams::VoiceRec})
        ModemSetupStore::storeCommand(m_ini, field, m_profile.*field);

    GainPair pair{0, 0};
    m_parse.learnRecGain(pair);
    gaugeStep(++step);
    m_parse.learnSpeakerVolume(pair);
    gaugeStep(++step);

    probeCommand(&TModemParams::SpeakerOn);
    gaugeStep(++step);
    probeCommand(&TModemParams::SpeakerOff);
    gaugeStep(++step);
    probeCommand(&TModemParams::MicGain);
    gaugeStep(++step);
    probeCommand(&TModemParams::SpeakerGain);
    gaugeStep(++step);

    ModemSetupStore::useTelephoneLine(m_ini);
    ModemSetupStore::storeDefaultTimeout(m_ini);
    setGauge(false, m_gaugeValue);
}

void ModemDiscovery::writeDataOnlyProfile()
{
    ModemSetupStore::storeNoVoiceCommands(m_ini);
    writeVoiceFeatures(false);
    ModemSetupStore::storeDefaultTimeout(m_ini);
}
