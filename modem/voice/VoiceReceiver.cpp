// Receiving voice. The modem's byte stream is unshielded first: a 0x10 sample arrives as
// DLE DLE and the modem's events as DLE + a character, and neither may reach the recording
// as noise.
#include "VoiceReceiver.h"

#include "audio/StandardFormats.h"

#include <cctype>
#include <exception>
#include <string>

VoiceReceiver::VoiceReceiver()
{
    m_cnvWav.OnAudioConverted = [this](TdeAudioConvertor &, const std::uint8_t *data, qint64 size) {
        if (onFileData)
            onFileData(data, size);
    };
    m_displayConvert.OnAudioConverted = [this](TdeAudioConvertor &, const std::uint8_t *data,
                                               qint64 size) { displaySamples(data, size); };
}

VoiceReceiver::~VoiceReceiver() = default;

void VoiceReceiver::SignedToUnsigned(std::span<std::uint8_t> block, const QString &formatName)
{
    if (formatName != QLatin1String("SIGNED PCM"))
        return;
    for (std::uint8_t &b : block)
        b ^= 0x80;
}

void VoiceReceiver::PrepareReceive(const Setup &setup)
{
    m_setup = setup;
    m_receiving = true;
    m_hangupCounter = 0;
    m_silenceFound = false;
    m_cause = {};
    m_levels.reset();
    m_displayBlock.clear();
    m_recordBlock.clear();
    m_displayRawBlock.clear();
    m_dle.reset();
    m_awaitConnect = setup.expectConnect;
    m_prefix.clear();
    m_analyser = std::make_unique<BlockAnalyser>(
        historyLength(setup.sampleRate, setup.discTimeSeconds), [this](const char *line) {
            if (log)
                log(QString::fromLatin1(line));
        });

    // Converters a failed recording left open are closed first.
    for (TdeAudioConvertor *convertor : {&m_displayConvert, &m_cnvWav})
        if (convertor->Active())
            convertor->Close();
    m_cnvWav.setFormatIn(setup.modemFormat);
    m_cnvWav.setFormatOut(setup.fileFormat);
    m_displayConvert.setFormatIn(setup.modemFormat);
    m_displayConvert.setFormatOut(WorkingPcmFormat());
    if (setup.displayTrace)
        m_displayConvert.Open();
    m_cnvWav.Open();
}

bool VoiceReceiver::receiveBatch(const std::uint8_t *data, qint64 size, bool autoCall)
{
    if (!m_receiving || size <= 0 || !skipConnect(data, size) || size == 0)
        return false;
    m_audio.clear();
    std::string events;
    m_dle.feed(data, std::size_t(size), m_audio, events);
    const char endEvent = handleEvents(events);

    for (std::uint8_t byte : m_audio) {
        m_recordBlock.push_back(byte);
        m_displayRawBlock.push_back(byte);
        if (int(m_recordBlock.size()) == RecordBlockSize)
            recordBlock();
        if (int(m_displayRawBlock.size()) == DisplayRawBlockSize)
            displayRawBlock();
    }
    // Two periodic blocks in one batch may carry the count past the limit; it is a limit,
    // not a value to meet exactly.
    if (autoCall && (m_hangupCounter >= HangupBlocks || endEvent != 0)) {
        if (log)
            log(QStringLiteral("Disconnect line..."));
        m_analyser->clearHistory();
        if (endEvent != 0)
            m_cause = {Hangup::ModemEvent, endEvent};
        else
            m_cause = {m_silenceFound ? Hangup::Silence : Hangup::PeriodicSignal, 0};
        return true;
    }
    return false;
}

// Bytes are held until the CONNECT line (or 64 bytes without one) has been seen; what
// follows it is the stream.
bool VoiceReceiver::skipConnect(const std::uint8_t *&data, qint64 &size)
{
    if (!m_awaitConnect)
        return true;
    m_prefix.insert(m_prefix.end(), data, data + size);
    const std::string text(m_prefix.begin(), m_prefix.end());
    std::string upper = text;
    for (char &c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    const std::size_t at = upper.find("CONNECT");
    std::size_t from = 0;
    if (at != std::string::npos) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos && m_prefix.size() < 64)
            return false;
        from = end == std::string::npos ? at + 7 : end + 1;
    } else if (m_prefix.size() < 64) {
        return false;
    }
    m_awaitConnect = false;
    m_held.assign(m_prefix.begin() + std::ptrdiff_t(from), m_prefix.end());
    m_prefix.clear();
    data = m_held.data();
    size = qint64(m_held.size());
    return true;
}

char VoiceReceiver::handleEvents(const std::string &events)
{
    char ending = 0;
    for (char event : events) {
        if (log)
            log(QStringLiteral("Modem event: ") + QString::fromStdString(dleEventName(event)));
        if (ending == 0 && dleEventEndsCall(event))
            ending = event;
    }
    return ending;
}

void VoiceReceiver::recordBlock()
{
    if (m_setup.bitsPerSample == QLatin1String("8"))
        SignedToUnsigned(m_recordBlock, m_setup.formatName);
    m_cnvWav.Convert(m_recordBlock.data(), qint64(m_recordBlock.size()));
    m_recordBlock.clear();
}

void VoiceReceiver::displayRawBlock()
{
    if (m_setup.bitsPerSample == QLatin1String("8"))
        SignedToUnsigned(m_displayRawBlock, m_setup.formatName);
    if (m_setup.displayTrace)
        m_displayConvert.Convert(m_displayRawBlock.data(), qint64(m_displayRawBlock.size()));
    m_displayRawBlock.clear();
}

void VoiceReceiver::displaySamples(const std::uint8_t *data, qint64 size)
{
    for (qint64 i = 0; i < size; ++i) {
        m_displayBlock.push_back(data[i]);
        if (int(m_displayBlock.size()) < DisplayBlockSize)
            continue;
        if (m_setup.analyse) {
            switch (m_analyser->AnalyseDisplayBlock(m_displayBlock)) {
            case BlockAnalyser::Periodic:
                ++m_hangupCounter;
                break;
            case BlockAnalyser::Silence:
                m_hangupCounter = HangupBlocks;
                m_silenceFound = true;
                break;
            case BlockAnalyser::Neither:
                break;
            }
        }
        m_levels.addBlock(m_displayBlock);
        if (onDisplayBlock)
            onDisplayBlock(m_displayBlock);
        m_displayBlock.clear();
    }
}

void VoiceReceiver::Finish()
{
    if (!m_receiving)
        return;
    m_receiving = false;
    // Both converters are closed whatever happens to the last bytes (a full disk throws from
    // the writer), so that the next recording can open them again.
    std::exception_ptr failure;
    try {
        if (m_cnvWav.Active() && !m_recordBlock.empty()) {
            if (m_setup.bitsPerSample == QLatin1String("8"))
                SignedToUnsigned(m_recordBlock, m_setup.formatName);
            m_cnvWav.Convert(m_recordBlock.data(), qint64(m_recordBlock.size()));
        }
        if (m_cnvWav.Active())
            m_cnvWav.flush();
    } catch (...) {
        failure = std::current_exception();
    }
    m_recordBlock.clear();
    for (TdeAudioConvertor *convertor : {&m_displayConvert, &m_cnvWav}) {
        try {
            if (convertor->Active())
                convertor->Close();
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    if (failure)
        std::rethrow_exception(failure);
}
