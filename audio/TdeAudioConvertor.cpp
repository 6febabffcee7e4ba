// Building the conversion chain and passing bytes along it.
#include "audio/TdeAudioConvertor.h"

#include "audio/EACMError.h"
#include "audio/codecs/CodecLayer.h"

namespace {

bool converts(const TdeWaveFormat &from, const TdeWaveFormat &to)
{
    return codecs::streamQuery(from.Buffer(), to.Buffer()) == codecs::Result::Ok;
}

// A PCM format for x, starting from a copy of start with its tag set to PCM.
TdeWaveFormat pcmSuggestion(const TdeWaveFormat &x, const TdeWaveFormat &start)
{
    TdeWaveFormat pcm = start;
    pcm.setFormatTag(1);
    CheckAudioResult<EACMConversionError>(codecs::formatSuggest(x.Buffer(), pcm.Buffer()),
                                          QString());
    return pcm;
}

[[noreturn]] void notPossible()
{
    throw EACMConversionError(QStringLiteral("Conversion not possible."));
}

} // namespace

TdeAudioConvertor::~TdeAudioConvertor()
{
    if (m_active)
        Close();
}

void TdeAudioConvertor::setRequestRealTime(bool value)
{
    if (m_active)
        throw EACMConversionError(QStringLiteral("Cannot perform this action while active."));
    m_requestRealTime = value;
}

void TdeAudioConvertor::setActive(bool value)
{
    if (value == m_active)
        return;
    if (value)
        Open();
    else
        Close();
}

void TdeAudioConvertor::buildChain()
{
    m_stages.clear();
    m_formats.clear();
    const TdeWaveFormat in = m_formatIn;
    const TdeWaveFormat out = m_formatOut;
    std::vector<TdeWaveFormat> list{in};
    if (converts(in, out)) {
        list.push_back(out);
    } else {
        const TdeWaveFormat p1 = pcmSuggestion(in, in);
        if (!converts(in, p1))
            notPossible();
        if (!p1.IsEqual(in) && !p1.IsEqual(out))
            list.push_back(p1);
        if (converts(p1, out)) {
            list.push_back(out);
        } else {
            const TdeWaveFormat p2 = pcmSuggestion(out, p1);
            if (!converts(p1, p2) || !converts(p2, out))
                notPossible();
            if (!p2.IsEqual(p1) && !p2.IsEqual(out))
                list.push_back(p2);
            list.push_back(out);
        }
    }
    m_formats = list;
    for (std::size_t i = 0; i + 1 < list.size(); ++i)
        m_stages.push_back(std::make_unique<TMiniConvertor>(list[i], list[i + 1], m_requestRealTime,
                                                            m_maskFloatingPoint));
}

void TdeAudioConvertor::Open()
{
    if (m_active)
        throw EACMConversionError(QStringLiteral("Cannot perform this action while active."));
    try {
        buildChain();
        for (auto &stage : m_stages)
            stage->Open();
    } catch (...) {
        // Stages that were opened close with the chain.
        m_stages.clear();
        m_formats.clear();
        throw;
    }
    m_active = true;
}

void TdeAudioConvertor::Close()
{
    requireActive();
    m_active = false;
    for (auto &stage : m_stages)
        stage->Close();
    m_stages.clear();
    m_formats.clear();
}

void TdeAudioConvertor::requireActive() const
{
    if (!m_active)
        throw EACMConversionError(QStringLiteral("Cannot perform this action while not active."));
}

void TdeAudioConvertor::Convert(const void *data, qint64 size)
{
    requireActive();
    auto current = static_cast<const std::uint8_t *>(data);
    qint64 length = size;
    for (auto &stage : m_stages) {
        length = stage->Convert(current, length);
        if (length == 0)
            return;
        current = stage->Output();
    }
    if (OnAudioConverted)
        OnAudioConverted(*this, current, length);
}

void TdeAudioConvertor::flush()
{
    requireActive();
    std::vector<std::uint8_t> current;
    for (auto &stage : m_stages) {
        std::vector<std::uint8_t> next;
        stage->Finish(current.data(), qint64(current.size()), next);
        current.swap(next);
    }
    if (!current.empty() && OnAudioConverted)
        OnAudioConverted(*this, current.data(), qint64(current.size()));
}
