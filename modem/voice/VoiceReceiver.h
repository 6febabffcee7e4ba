// The voice receive stream of a recording: the modem's bytes are unshielded, cut into
// 2048-byte blocks for the recording's file format and 1536-byte blocks for 8-bit display
// samples, and the display samples are analysed to find when the far end has hung up.
#pragma once

#include "audio/TdeAudioConvertor.h"
#include "audio/TdeWaveFormat.h"
#include "modem/voice/BlockAnalyser.h"
#include "modem/voice/DleFilter.h"
#include "modem/voice/LevelMeter.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

class VoiceReceiver
{
public:
    static constexpr int RecordBlockSize = 2048;
    static constexpr int DisplayRawBlockSize = 1536;
    // Periodic blocks in one recording that mean the line carries a tone, not a call.
    static constexpr int HangupBlocks = 12;

    struct Setup
    {
        TdeWaveFormat modemFormat; // the samples the modem sends
        TdeWaveFormat fileFormat;  // the recording's format
        QString formatName;        // the compression's class: "SIGNED PCM", "ULAW", ...
        QString bitsPerSample;     // as the compressions table gives it: "8", "16", "4"
        int sampleRate = 8000;
        int discTimeSeconds = 10;
        bool analyse = true;      // automatic recording is on
        bool displayTrace = true; // "Enable during record"
        // The modem answers the receive command with a CONNECT line before the stream; it
        // is taken out (also when it arrives split over batches).
        bool expectConnect = false;
    };

    // Converted recording bytes, for the WAV writer.
    std::function<void(const std::uint8_t *data, qint64 size)> onFileData;
    // Every full block of display samples, for the trace.
    std::function<void(std::span<const std::uint8_t> samples)> onDisplayBlock;
    // Lines for the event log ("Silence...", "Periodic signal...", modem events).
    std::function<void(const QString &line)> log;

    VoiceReceiver();
    ~VoiceReceiver();

    // Opens both converters. Raises the converters' errors.
    void PrepareReceive(const Setup &setup);

    // One batch of bytes from the modem. True when the far end has hung up (a run of
    // silence, a steady tone, or the modem reporting the end, see dleEventEndsCall) and the
    // call is an automatic one; the caller then stops the recording, hangupCause() says why.
    bool receiveBatch(const std::uint8_t *data, qint64 size, bool autoCall);

    enum class Hangup
    {
        None,
        Silence,
        PeriodicSignal,
        ModemEvent
    };
    struct HangupCause
    {
        Hangup kind = Hangup::None;
        char event = 0; // for ModemEvent: the event character
    };
    // Why the last receiveBatch that returned true found the call over.
    HangupCause hangupCause() const { return m_cause; }
    // The voice's level so far (display blocks only, so nothing with the trace off).
    const LevelMeter &levels() const { return m_levels; }

    // Ends reception: converts the bytes still held, so that the recording keeps everything
    // received, and closes both converters.
    void Finish();

    bool Receiving() const { return m_receiving; }
    int HangupCounter() const { return m_hangupCounter; }

    // 8-bit two's-complement samples become unsigned ones (the top bit is inverted); only
    // for the "SIGNED PCM" class.
    static void SignedToUnsigned(std::span<std::uint8_t> block, const QString &formatName);

private:
    void recordBlock();
    void displayRawBlock();
    void displaySamples(const std::uint8_t *data, qint64 size);
    // The first event of the batch that ends a call, or 0.
    char handleEvents(const std::string &events);
    bool skipConnect(const std::uint8_t *&data, qint64 &size);

    Setup m_setup;
    TdeAudioConvertor m_cnvWav;
    TdeAudioConvertor m_displayConvert;
    DleFilter m_dle;
    std::unique_ptr<BlockAnalyser> m_analyser;
    std::vector<std::uint8_t> m_recordBlock;
    std::vector<std::uint8_t> m_displayRawBlock;
    std::vector<std::uint8_t> m_displayBlock;
    std::vector<std::uint8_t> m_audio;
    int m_hangupCounter = 0;
    bool m_silenceFound = false; // the analysis declared silence, not only tones
    HangupCause m_cause;
    LevelMeter m_levels;
    bool m_receiving = false;
    // The modem's CONNECT may come after reception began; it is no audio.
    bool m_awaitConnect = false;
    std::vector<std::uint8_t> m_prefix;
    std::vector<std::uint8_t> m_held; // what followed the CONNECT line in its batch
};
