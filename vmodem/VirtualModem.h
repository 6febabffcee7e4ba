// The virtual voice modem: AT dialogue, scripted calls and the voice stream, without any I/O.
#pragma once

#include "vmodem/AtDialogue.h"
#include "vmodem/LineAudio.h"
#include "vmodem/Profile.h"
#include "vmodem/ScriptStep.h"
#include "vmodem/VoiceEncoder.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace vmodem {

// The host's bytes go in through hostBytes(), the modem's bytes come out of output(); time
// moves only through advance(now), so a test can drive it with a made-up clock.
class VirtualModem final
{
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;
    using LogSink = std::function<void(const std::string &)>;

    // speed: how many times faster than real time the voice stream runs (> 0).
    VirtualModem(Profile profile, LogSink log, double speed = 1.0,
                 EncoderFactory encoders = makeBuiltinEncoder);

    // pace: how many times faster than written the script's pauses run (wait steps, and so the
    // rings and caller ID of a call); > 0, 1 by default. The voice stream keeps its speed.
    void setPace(double pace);
    void addSteps(const std::vector<Step> &steps); // run after those already queued
    void hostBytes(std::string_view bytes, TimePoint now);
    // The host opened or closed the port. Closing ends a voice stream, as dropping DTR does,
    // and everything sent while the port is closed is lost.
    void setHostOpen(bool open);
    void advance(TimePoint now);
    // When advance() has work next: now when steps are ready, the end of a pause, the next
    // stream chunk. Nothing when only the host can wake the modem.
    std::optional<TimePoint> nextWakeup(TimePoint now) const;

    const std::string &output() const { return m_output; }
    void consumeOutput(std::size_t bytes);
    void clearOutput() { m_output.clear(); }

    bool finished() const { return m_finished; }
    bool receiving() const { return m_mode == Mode::Receive; }
    bool hostOpen() const { return m_hostOpen; }
    LineAudio &line() { return m_line; }
    const AtDialogue &dialogue() const { return m_dialogue; }

    // Output held back before the stream stops producing (the host is not reading).
    static constexpr std::size_t MaxBacklog = 8192;

private:
    enum class Mode
    {
        Command,
        Receive,
        Transmit
    };

    void commandByte(char c, TimePoint now);
    void commandLine(const std::string &line, TimePoint now);
    void voiceByte(char c);
    void endStream(std::string_view why);
    void commandSeen(const std::string &command);
    void runStep(const Step &step, TimePoint now);
    void voiceStep(const Step &step);
    void stream(TimePoint now);
    void send(std::string_view bytes);
    void log(const std::string &line) const;

    Profile m_profile;
    LogSink m_log;
    double m_speed;
    double m_pace = 1.0;
    EncoderFactory m_encoders;
    AtDialogue m_dialogue;
    LineAudio m_line;

    bool m_hostOpen = true;
    bool m_finished = false;
    bool m_deaf = false; // a hung modem: until the host reopens the port or "deaf off"
    std::string m_output;

    Mode m_mode = Mode::Command;
    std::string m_lineBuffer;
    bool m_lineOverflow = false;
    bool m_dlePending = false;

    std::unique_ptr<VoiceEncoder> m_encoder;
    int m_streamRate = 8000;
    TimePoint m_streamStart;
    long long m_streamSamples = 0;
    long long m_streamBytes = 0;

    std::deque<Step> m_steps;
    std::vector<Step> m_history; // steps run since the start or the last repeat
    std::optional<TimePoint> m_waitUntil;
    std::optional<std::string> m_waitFor; // upper case
    std::deque<std::string> m_unconsumed; // commands not yet matched by a waitfor, upper case
};

} // namespace vmodem
