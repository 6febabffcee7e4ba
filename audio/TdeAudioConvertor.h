// The converter: turns bytes of FormatIn into bytes of FormatOut through a chain of at most
// three codec stages via PCM, handing every non-empty result to OnAudioConverted.
#pragma once

#include "audio/TMiniConvertor.h"
#include "audio/TdeWaveFormat.h"

#include <functional>
#include <memory>
#include <vector>

class TdeAudioConvertor
{
public:
    // The data belong to the last stage and are valid only during the call.
    using AudioConvertedHandler =
        std::function<void(TdeAudioConvertor &sender, const std::uint8_t *data, qint64 size)>;

    TdeAudioConvertor() = default;
    ~TdeAudioConvertor();
    TdeAudioConvertor(const TdeAudioConvertor &) = delete;
    TdeAudioConvertor &operator=(const TdeAudioConvertor &) = delete;

    // A change takes effect at the next Open.
    const TdeWaveFormat &FormatIn() const { return m_formatIn; }
    void setFormatIn(const TdeWaveFormat &format) { m_formatIn.Assign(format); }
    const TdeWaveFormat &FormatOut() const { return m_formatOut; }
    void setFormatOut(const TdeWaveFormat &format) { m_formatOut.Assign(format); }

    bool RequestRealTime() const { return m_requestRealTime; }
    // Raises EACMConversionError "Cannot perform this action while active." when open.
    void setRequestRealTime(bool value);
    bool Set8087FPUFlag() const { return m_maskFloatingPoint; }
    void setSet8087FPUFlag(bool value) { m_maskFloatingPoint = value; }

    bool Active() const { return m_active; }
    void setActive(bool value);
    void Open();
    void Close();
    void Convert(const void *data, qint64 size);
    // Ends the stream: converts what the stages still hold, completing a last partial
    // codec block, and hands the result on. The converter stays open for a new stream.
    void flush();

    AudioConvertedHandler OnAudioConverted;

    // The chain of the current opening: formats (input, PCM steps, output) and stages.
    int stageCount() const { return int(m_stages.size()); }
    const TMiniConvertor &Stage(int index) const { return *m_stages[std::size_t(index)]; }
    const std::vector<TdeWaveFormat> &ChainFormats() const { return m_formats; }

private:
    void buildChain();
    void requireActive() const;

    TdeWaveFormat m_formatIn;
    TdeWaveFormat m_formatOut;
    bool m_requestRealTime = false;
    bool m_maskFloatingPoint = true;
    bool m_active = false;
    std::vector<TdeWaveFormat> m_formats;
    std::vector<std::unique_ptr<TMiniConvertor>> m_stages;
};
