// The port and the AT command dialogue of the modem link.
#include "TfmModem.h"

#include "ModemReply.h"
#include "PortPermission.h"
#include "QtSerialPort.h"

#include "config/Preferences.h"
#include "support/EventLog.h"
#include "support/MessageService.h"
#include "support/Waits.h"

#include <QCoreApplication>
#include <cstring>

namespace {
const QString TimeOutKind = QStringLiteral("time out");

// Opening and closing notifications come through the event loop; this bounds the wait for
// them so that a broken backend cannot hang the program.
constexpr int PortNotifyWaitMs = 5000;
// A command's wait also ends this long after its time-out should have fired.
constexpr int WaitSafetyMs = 5000;
// The end-of-reception sequence is two bytes; this bounds the wait for them to go out.
constexpr int EndReceiveDrainMs = 500;
// Turns of the event loop that bring bytes already at the port to the reply: one reads the
// port, the next hands what was read on.
constexpr int ArrivedReplyPasses = 4;
} // namespace

TfmModem::TfmModem(TIniFile &ini, const Preferences &prefs, const TModemParams &profile,
                   EventLog &log, MessageService &messages, std::unique_ptr<SerialPort> port,
                   QObject *parent)
    : QObject(parent), m_ini(ini), m_prefs(prefs), m_profile(profile), m_log(log),
      m_messages(messages), m_port(port ? std::move(port) : std::make_unique<QtSerialPort>(ini))
{
    connect(m_port.get(), &SerialPort::opened, this, &TfmModem::ComPort1PortOpen);
    connect(m_port.get(), &SerialPort::closed, this, &TfmModem::ComPort1PortClose);
    connect(m_port.get(), &SerialPort::dataAvailable, this, &TfmModem::ComPort1TriggerAvail);
    connect(m_port.get(), &SerialPort::deviceLost, this, &TfmModem::portDeviceLost);

    // Coarse timers may fire 5% early, which would cut a slow modem's reply short.
    m_tmCmdTimeout.setSingleShot(true);
    m_tmCmdTimeout.setTimerType(Qt::PreciseTimer);
    connect(&m_tmCmdTimeout, &QTimer::timeout, this, &TfmModem::tmCmdTimeoutTimer);
    m_tmRingSpan.setSingleShot(true);
    m_tmRingSpan.setTimerType(Qt::PreciseTimer);
    connect(&m_tmRingSpan, &QTimer::timeout, this, &TfmModem::tmRingSpanTimer);
    m_timer1.setInterval(100);
    m_timer1.setTimerType(Qt::PreciseTimer);
    connect(&m_timer1, &QTimer::timeout, this, &TfmModem::timer1Timer);

    learnRingSpan();
}

TfmModem::~TfmModem()
{
    // No notifications into a half-destroyed object.
    m_port->disconnect(this);
    m_port->close();
}

QString TfmModem::portText() const
{
    return QString::number(m_portNumber);
}

void TfmModem::log(const QString &line)
{
    m_log.appendLine(line);
}

bool TfmModem::OpenModemPort(int port, bool initialise)
{
    if (m_portOpen)
        return true;
    SerialSettings settings;
    settings.port = port;
    settings.baudRate = m_prefs.baudRateValue();
    settings.flow = serialFlowFromName(m_prefs.flowControlName());
    m_portNumber = port;
    m_portOpen = false;
    m_deniedDevice.clear();
    try {
        m_port->setSettings(settings);
        m_port->open();
    } catch (const SerialError &e) {
        log(QStringLiteral("Com port %1: %2").arg(port).arg(QString::fromStdString(e.what())));
        if (e.kind() == SerialError::Kind::Permission) {
            m_deniedDevice = e.device();
            log(PortPermission::advice(QStringList{m_deniedDevice}));
        }
        return false;
    }
    Waits::waitUntil([this] { return m_portOpen || !m_port->isOpen(); }, PortNotifyWaitMs);
    if (!m_portOpen)
        return false;
    if (initialise)
        InitModem();
    return true;
}

QString TfmModem::openErrorMessage(int port) const
{
    return openErrorMessage(QStringLiteral("Error during opening com port ") +
                            QString::number(port));
}

QString TfmModem::openErrorMessage(const QString &prefix) const
{
    if (m_deniedDevice.isEmpty())
        return prefix;
    return prefix + QLatin1Char('\n') + PortPermission::advice(QStringList{m_deniedDevice});
}

bool TfmModem::CloseModemPort()
{
    if (m_portOpen) {
        try {
            m_port->close();
        } catch (const SerialError &) {
            return false;
        }
        Waits::waitUntil([this] { return !m_portOpen; }, PortNotifyWaitMs);
        if (m_portOpen && !m_port->isOpen())
            ComPort1PortClose();
    }
    m_receiving = false;
    return true;
}

std::optional<QString> TfmModem::sendAndWait(const QString &command, const QString *logText,
                                             bool discardInput)
{
    const QByteArray line = command.toLatin1() + '\r';
    if (discardInput)
        m_port->discardInput();
    if (m_port->outputFree() < line.size())
        return std::nullopt;

    bool written = false;
    if (m_port->isOpen()) {
        try {
            m_port->write(line);
            written = true;
        } catch (const SerialError &) {
        }
    }
    if (logText)
        log(*logText);
    if (!written) {
        // Without a port no reply can come; the command ends as one that was not answered.
        m_replyText.clear();
        m_replyKind = TimeOutKind;
        m_replyReady = true;
        return TimeOutKind;
    }

    const int timeoutMs = Waits::scaledMs(std::clamp(m_prefs.Timeout, 1, 8) * 1000);
    m_tmCmdTimeout.start(timeoutMs);
    m_replyReady = false;
    m_replyText.clear();
    // Handlers run during this wait and may send commands themselves: there is one pending
    // slot, so a nested command's reply ends this wait too.
    const bool ended = Waits::waitUntil([this] { return m_replyReady; }, timeoutMs + WaitSafetyMs);
    m_tmCmdTimeout.stop();
    if (!ended) {
        m_replyKind = TimeOutKind;
        m_replyReady = true;
    }
    return m_replyKind;
}

AtResult TfmModem::SendCommand(const QString &command, QString &reply)
{
    const std::optional<QString> kind = sendAndWait(command, nullptr);
    if (!kind)
        return AtResult::NoRoom;
    if (*kind == QLatin1String("ok")) {
        reply = ModemReply::replyBeforeOk(m_replyText);
        return AtResult::Ok;
    }
    if (*kind == QLatin1String("error")) {
        reply = QStringLiteral("error");
        return AtResult::Error;
    }
    if (*kind == TimeOutKind) {
        reply = TimeOutKind;
        return AtResult::TimeOut;
    }
    reply = *kind;
    return AtResult::Unexpected;
}

AtResult TfmModem::SendCommandExpect(const QString &command, const QString &logText,
                                     const QString &expected)
{
    const std::optional<QString> kind = sendAndWait(command, &logText);
    if (!kind)
        return AtResult::NoRoom;
    if (kind->toUpper() == expected.toUpper()) {
        log(expected);
        return AtResult::Ok;
    }
    log(*kind);
    if (*kind == QLatin1String("error"))
        return AtResult::Error;
    if (*kind == TimeOutKind)
        return AtResult::TimeOut;
    return AtResult::Unexpected;
}

void TfmModem::endVoiceReceive()
{
    if (m_receiving && m_portOpen && m_port->isOpen()) {
        // <DLE>! ends voice reception and puts the modem back in command mode, so that the
        // line is released whatever happens to the port afterwards.
        try {
            m_port->write(QByteArray("\x10!", 2));
            log(QStringLiteral("Ending voice reception.."));
            Waits::waitUntil([this] { return m_port->outputFree() >= SerialPort::BufferSize; },
                             EndReceiveDrainMs);
        } catch (const SerialError &) {
        }
    }
    m_receiving = false;
}

bool TfmModem::checkAlive()
{
    const std::optional<QString> kind = sendAndWait(QStringLiteral("at"), nullptr, false);
    // What came before the answer's OK may be a RING or a caller-ID line: a call goes first.
    for (const char *answer : {"\r\nOK\r\n", "\r\nok\r\n", "OK", "ok"}) {
        const qsizetype at = m_replyText.lastIndexOf(QLatin1String(answer));
        if (at >= 0) {
            m_replyText.remove(at, qsizetype(std::strlen(answer)));
            break;
        }
    }
    handleUnsolicited();
    // The answer must not stay in the reply text, or the next RING would be taken for a
    // reply and missed (as the arming operations also clear it).
    m_replyText.clear();
    return kind && *kind == QLatin1String("ok");
}

bool TfmModem::SendCommandNoWait(const QString &command, const QString &logText)
{
    const QByteArray line = command.toLatin1() + '\r';
    if (!m_port->isOpen() || m_port->outputFree() < line.size())
        return false;
    try {
        m_port->write(line);
    } catch (const SerialError &) {
        return false;
    }
    log(logText);
    return true;
}

bool TfmModem::TryComPort(SerialPort &port, int portNumber)
{
    m_deniedDevice.clear();
    try {
        port.close();
        Waits::WaitTicks(9);
        SerialSettings settings = port.settings();
        settings.port = portNumber;
        port.setSettings(settings);
        port.open();
        Waits::WaitTicks(9);
        return true;
    } catch (const SerialError &e) {
        if (e.kind() == SerialError::Kind::Permission)
            m_deniedDevice = e.device();
        if (e.kind() == SerialError::Kind::InvalidPort ||
            e.kind() == SerialError::Kind::InputOutput)
            return false;
        QString text = QStringLiteral("Exception class name = ") + e.className() +
                       QLatin1Char('\n') + QString::fromStdString(e.what());
        if (!m_deniedDevice.isEmpty())
            text += QLatin1Char('\n') + PortPermission::advice(QStringList{m_deniedDevice});
        m_messages.showMessage(text, MessageService::Kind::Error);
        return false;
    }
}

bool TfmModem::ProbeComPort(SerialPort &port, int portNumber)
{
    port.close();
    Waits::WaitTicks(9);
    SerialSettings settings = port.settings();
    settings.port = portNumber;
    port.setSettings(settings);
    port.open(); // errors reach the caller
    Waits::WaitTicks(9);

    bool fired = false;
    const QMetaObject::Connection connection =
        connect(&port, &SerialPort::triggered, this, [&fired] { fired = true; });
    port.setTrigger("OK");
    try {
        port.write("AT\r\n");
        Waits::WaitTicks(36);
    } catch (const SerialError &) {
        // The device went away while probing: no modem here.
    }
    port.setTrigger({});
    disconnect(connection);
    return fired;
}

void TfmModem::ComPort1PortOpen()
{
    m_portOpen = true;
    log(QStringLiteral("Com port ") + portText() + QStringLiteral(" opened..."));
    emit modemStateChanged(true);
}

void TfmModem::ComPort1PortClose()
{
    // A notice that comes after the port was opened again belongs to the old device.
    if (!m_portOpen || m_port->isOpen())
        return;
    m_portOpen = false;
    log(QStringLiteral("Com port ") + portText() + QStringLiteral(" closed..."));
    // A command still waiting cannot be answered any more.
    if (!m_replyReady && m_tmCmdTimeout.isActive()) {
        m_tmCmdTimeout.stop();
        m_replyKind = TimeOutKind;
        m_replyReady = true;
    }
    emit modemStateChanged(false);
}

void TfmModem::portDeviceLost(const QString &reason)
{
    log(QStringLiteral("Com port ") + portText() + QStringLiteral(" lost (") + reason +
        QLatin1Char(')'));
    // A call that was ringing can no longer be followed.
    m_tmRingSpan.stop();
    m_callRejected = false;
    emit callerIdHidden();
    // The port is already closed: whoever handles the loss (a recording keeping its call, a
    // reopen) must see it closed now, not after the later notice.
    ComPort1PortClose();
    m_receiving = false;
    emit deviceLost(reason);
}

void TfmModem::tmCmdTimeoutTimer()
{
    // When the program was held up past the time-out (a busy machine), the reply may have
    // come meanwhile and wait unread: it is taken first, so that it is not lost to a time-out
    // and then taken for the reply of the next command.
    for (int pass = 0; pass < ArrivedReplyPasses && !m_replyReady; ++pass)
        QCoreApplication::processEvents();
    if (m_replyReady)
        return;
    m_replyReady = true;
    m_replyKind = TimeOutKind;
}

void TfmModem::ComPort1TriggerAvail(int count)
{
    const QByteArray bytes = m_port->read(count);
    if (bytes.isEmpty())
        return;
    if (m_receiving) {
        m_timer1.stop();
        emit voiceData(bytes);
        return;
    }
    ModemReply::appendBounded(m_replyText, QString::fromLatin1(bytes));
    const ModemReply::Kind kind = ModemReply::classify(m_replyText);
    if (kind != ModemReply::Kind::None) {
        m_replyKind = ModemReply::kindText(kind);
        m_replyReady = true;
        return;
    }
    handleUnsolicited();
}
