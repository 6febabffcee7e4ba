// The virtual modem's engine: command mode, voice modes and the script.
#include "vmodem/VirtualModem.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace vmodem {

namespace {

constexpr char Dle = 0x10;
constexpr char Etx = 0x03;
constexpr std::size_t MaxLine = 256;        // longer command lines are answered ERROR
constexpr std::size_t MaxUnconsumed = 1000; // commands remembered for waitfor
constexpr std::size_t MaxHistory = 10000;   // steps a repeat can run again
constexpr auto StreamTick = std::chrono::milliseconds(20);

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

VirtualModem::VirtualModem(Profile profile, LogSink log, double speed, EncoderFactory encoders)
    : m_profile(std::move(profile)), m_log(std::move(log)), m_speed(speed > 0 ? speed : 1.0),
      m_encoders(std::move(encoders)), m_dialogue(m_profile)
{}

void VirtualModem::setPace(double pace)
{
    m_pace = pace > 0 ? pace : 1.0;
}

void VirtualModem::log(const std::string &line) const
{
    if (m_log)
        m_log(line);
}

void VirtualModem::send(std::string_view bytes)
{
    if (m_hostOpen)
        m_output.append(bytes);
}

void VirtualModem::consumeOutput(std::size_t bytes)
{
    m_output.erase(0, std::min(bytes, m_output.size()));
}

void VirtualModem::addSteps(const std::vector<Step> &steps)
{
    m_steps.insert(m_steps.end(), steps.begin(), steps.end());
}

void VirtualModem::setHostOpen(bool open)
{
    if (open == m_hostOpen)
        return;
    m_hostOpen = open;
    log(open ? "== port opened by the host" : "== port closed by the host");
    if (!open) {
        // A hung modem comes back when the host closes the port (as a USB modem is reset).
        m_deaf = false;
        m_output.clear();
        if (m_mode != Mode::Command)
            endStream("the port closed");
        m_lineBuffer.clear();
        m_lineOverflow = false;
    }
}

void VirtualModem::hostBytes(std::string_view bytes, TimePoint now)
{
    for (char c : bytes) {
        if (m_mode == Mode::Command)
            commandByte(c, now);
        else
            voiceByte(c);
    }
}

void VirtualModem::commandByte(char c, TimePoint now)
{
    if (m_dialogue.echo() && !m_profile.dead)
        send(std::string_view(&c, 1));
    if (c == '\r') {
        const std::string line = m_lineBuffer;
        const bool overflow = m_lineOverflow;
        m_lineBuffer.clear();
        m_lineOverflow = false;
        if (overflow) {
            log("<< (a command line longer than 256 characters)");
            if (!m_profile.dead)
                send(frameReply({}, "ERROR"));
            log(">> ERROR");
            return;
        }
        commandLine(line, now);
        return;
    }
    if (c == 0x08 || c == 0x7f) {
        if (!m_lineBuffer.empty())
            m_lineBuffer.pop_back();
        return;
    }
    if (static_cast<unsigned char>(c) < 0x20)
        return; // line feeds and other controls between commands mean nothing
    if (m_lineBuffer.size() >= MaxLine)
        m_lineOverflow = true;
    else
        m_lineBuffer.push_back(c);
}

void VirtualModem::commandLine(const std::string &raw, TimePoint now)
{
    std::string line = raw;
    while (!line.empty() && line.front() == ' ')
        line.erase(line.begin());
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    if (line.empty())
        return;
    if (line.size() < 2 || upper(line.substr(0, 2)) != "AT") {
        log("<< (ignored, no AT prefix) " + printable(line));
        return;
    }
    log("<< " + printable(line));
    commandSeen(upper(line));
    if (m_profile.dead || m_deaf)
        return;
    const AtResult result = m_dialogue.handle(line);
    send(result.bytes);
    for (const std::string &l : result.lines)
        log(">> " + printable(l));
    if (result.action == AtResult::Action::Receive) {
        const Compression *c = m_dialogue.compression();
        m_encoder = c ? m_encoders(c->encoding) : nullptr;
        if (!m_encoder)
            m_encoder = makeBuiltinEncoder(c ? c->encoding : Encoding::Unsigned8);
        if (!m_encoder)
            m_encoder = makeBuiltinEncoder(Encoding::Unsigned8);
        m_mode = Mode::Receive;
        m_streamRate = m_dialogue.rate();
        m_streamStart = now;
        m_streamSamples = 0;
        m_streamBytes = 0;
        m_dlePending = false;
        log("== voice receive: " +
            std::string(encodingName(c ? c->encoding : Encoding::Unsigned8)) + ", " +
            std::to_string(m_streamRate) + " samples/s");
    } else if (result.action == AtResult::Action::Transmit) {
        m_mode = Mode::Transmit;
        m_dlePending = false;
        log("== voice transmit: the host's sound is discarded");
    }
}

void VirtualModem::commandSeen(const std::string &command)
{
    m_unconsumed.push_back(command);
    if (m_unconsumed.size() > MaxUnconsumed)
        m_unconsumed.pop_front();
    if (m_waitFor) {
        const auto it =
            std::find_if(m_unconsumed.begin(), m_unconsumed.end(), [&](const std::string &c) {
                return c.find(*m_waitFor) != std::string::npos;
            });
        if (it != m_unconsumed.end()) {
            m_unconsumed.erase(m_unconsumed.begin(), it + 1);
            log("== seen " + *m_waitFor);
            m_waitFor.reset();
        }
    }
}

void VirtualModem::voiceByte(char c)
{
    if (!m_dlePending) {
        if (c == Dle)
            m_dlePending = true;
        return; // sound from the host (transmit) or stray bytes: nothing to do
    }
    m_dlePending = false;
    if (c == Dle)
        return; // a shielded DLE
    const std::string code = std::string("<DLE>") + printable(std::string(1, c));
    log("<< " + code);
    if (m_mode == Mode::Receive && c == '!') {
        commandSeen("<DLE>!");
        endStream("the host ended it");
        send(std::string{Dle, Etx});
        send(frameReply({}, "OK"));
        log(">> <DLE><ETX>");
        log(">> OK");
    } else if (m_mode == Mode::Transmit && (c == Etx || c == '!')) {
        commandSeen(code);
        endStream("the host ended it");
        send(frameReply({}, "OK"));
        log(">> OK");
    }
}

void VirtualModem::endStream(std::string_view why)
{
    if (m_mode == Mode::Receive)
        log("== voice receive ended (" + std::string(why) + ") after " +
            std::to_string(m_streamBytes) + " bytes");
    else if (m_mode == Mode::Transmit)
        log("== voice transmit ended (" + std::string(why) + ")");
    m_mode = Mode::Command;
    m_encoder.reset();
    m_dlePending = false;
}

void VirtualModem::advance(TimePoint now)
{
    while (!m_finished) {
        if (m_waitUntil) {
            if (now < *m_waitUntil)
                break;
            m_waitUntil.reset();
        }
        if (m_waitFor || m_steps.empty())
            break;
        const Step step = m_steps.front();
        m_steps.pop_front();
        if (step.kind != Step::Kind::Repeat && m_history.size() < MaxHistory)
            m_history.push_back(step);
        runStep(step, now);
    }
    if (m_mode == Mode::Receive)
        stream(now);
}

std::optional<VirtualModem::TimePoint> VirtualModem::nextWakeup(TimePoint now) const
{
    std::optional<TimePoint> next;
    if (m_mode == Mode::Receive)
        next = now + StreamTick;
    if (!m_waitFor && !m_steps.empty()) {
        const TimePoint stepTime = m_waitUntil ? std::max(*m_waitUntil, now) : now;
        if (!next || stepTime < *next)
            next = stepTime;
    } else if (m_waitUntil && !m_waitFor && (!next || *m_waitUntil < *next)) {
        next = *m_waitUntil;
    }
    return next;
}

void VirtualModem::runStep(const Step &step, TimePoint now)
{
    const char *lost = m_hostOpen ? "" : " (port closed: lost)";
    switch (step.kind) {
    case Step::Kind::Wait: {
        log("== wait " + std::to_string(step.ms));
        const double paced = static_cast<double>(step.ms) / m_pace;
        m_waitUntil = now + std::chrono::duration_cast<Clock::duration>(
                                std::chrono::duration<double, std::milli>(paced));
        break;
    }
    case Step::Kind::WaitFor: {
        const std::string wanted = upper(step.text);
        log("== waitfor " + step.text);
        const auto it =
            std::find_if(m_unconsumed.begin(), m_unconsumed.end(),
                         [&](const std::string &c) { return c.find(wanted) != std::string::npos; });
        if (it != m_unconsumed.end()) {
            m_unconsumed.erase(m_unconsumed.begin(), it + 1);
            log("== seen " + wanted);
        } else {
            m_waitFor = wanted;
        }
        break;
    }
    case Step::Kind::Ring:
        send("\r\nRING\r\n");
        log(std::string(">> RING") + lost);
        break;
    case Step::Kind::CallerId:
        if (m_dialogue.callerIdMode() == 0) {
            log("== caller ID not sent: the host has not enabled it (AT+VCID=1)");
            break;
        }
        send(formatCallerId(step.fields));
        for (const auto &[key, value] : step.fields)
            // NOLINTNEXTLINE(performance-inefficient-string-concatenation): a few short fields
            log(">> " + printable(key + " = " + value) + lost);
        break;
    case Step::Kind::Raw:
        send(step.text);
        log(">> raw " + printable(step.text) + lost);
        break;
    case Step::Kind::Event:
        send(std::string{Dle, step.text[0]});
        log(">> <DLE>" + step.text + lost);
        break;
    case Step::Kind::Voice:
        voiceStep(step);
        break;
    case Step::Kind::CallEnd:
        log("== call ends: " + step.text);
        if (step.text == "gaveup")
            m_line.replace(makeGenerator("silence"), "silence");
        break;
    case Step::Kind::Repeat: {
        // Only a loop that waits somewhere may run again, or it would never give way.
        const bool waits = std::any_of(m_history.begin(), m_history.end(), [](const Step &s) {
            return (s.kind == Step::Kind::Wait && s.ms > 0) || s.kind == Step::Kind::WaitFor;
        });
        if (!waits) {
            log("== repeat ignored: the steps before it never wait");
            m_history.clear();
            break;
        }
        log("== repeat");
        m_steps.push_front(step);
        m_steps.insert(m_steps.begin(), m_history.begin(), m_history.end());
        m_history.clear();
        break;
    }
    case Step::Kind::Deaf:
        m_deaf = step.text == "on";
        log(m_deaf ? "== deaf: commands go unanswered" : "== answering again");
        break;
    case Step::Kind::Exit:
        log("== exit");
        m_finished = true;
        break;
    }
}

void VirtualModem::voiceStep(const Step &step)
{
    std::unique_ptr<SignalSource> source = makeGenerator(step.text);
    if (!source) {
        std::string error;
        std::optional<WavSound> sound = loadWav(step.text, error);
        if (!sound) {
            log("== voice: " + error + "; the line is silent instead");
            source = makeGenerator("silence");
        } else {
            source = makeSoundSource(std::move(*sound));
        }
    }
    const std::string duration = step.ms >= 0 ? " for " + std::to_string(step.ms) + " ms" : "";
    log("== voice " + step.text + duration);
    m_line.append(std::move(source), step.text, step.ms);
}

void VirtualModem::stream(TimePoint now)
{
    const double elapsed = std::chrono::duration<double>(now - m_streamStart).count();
    long long due = static_cast<long long>(elapsed * m_streamRate * m_speed) - m_streamSamples;
    if (due <= 0 || m_output.size() >= MaxBacklog)
        return;
    due = std::min<long long>(due, m_streamRate); // after a stall, catch up a second at a time
    const int unit = m_encoder->samplesPerUnit();
    due -= due % unit;
    if (due <= 0)
        return;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(due));
    m_line.generate(samples, m_streamRate,
                    [this](const std::string &label) { log("== line now carries " + label); });
    std::string encoded;
    m_encoder->encode(samples, encoded);
    std::string shielded;
    shielded.reserve(encoded.size() + encoded.size() / 64);
    for (char b : encoded) {
        shielded.push_back(b);
        if (b == Dle)
            shielded.push_back(Dle);
    }
    m_streamSamples += due;
    m_streamBytes += static_cast<long long>(encoded.size());
    send(shielded);
}

} // namespace vmodem
