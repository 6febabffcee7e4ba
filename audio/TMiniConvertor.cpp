// A conversion stage. Its input buffer grows until the stage first converts and is then
// fixed at three times what it held then, so that later feeds run without allocation.
#include "audio/TMiniConvertor.h"

#include "audio/EACMError.h"
#include "audio/codecs/CodecLayer.h"

#include <cfenv>
#include <cstring>

namespace {

// Floating-point exceptions stay masked while a codec runs, whatever the caller set.
class FloatingPointMask
{
public:
    explicit FloatingPointMask(bool enabled) : m_enabled(enabled)
    {
        if (m_enabled)
            std::feholdexcept(&m_saved);
    }
    ~FloatingPointMask()
    {
        if (m_enabled)
            std::fesetenv(&m_saved);
    }
    FloatingPointMask(const FloatingPointMask &) = delete;
    FloatingPointMask &operator=(const FloatingPointMask &) = delete;

private:
    bool m_enabled;
    std::fenv_t m_saved{};
};

} // namespace

TMiniConvertor::TMiniConvertor(const TdeWaveFormat &source, const TdeWaveFormat &destination,
                               bool requestRealTime, bool maskFloatingPoint)
    : m_source(source), m_destination(destination), m_realTime(requestRealTime),
      m_maskFloatingPoint(maskFloatingPoint)
{}

TMiniConvertor::~TMiniConvertor()
{
    if (m_active)
        Close();
}

void TMiniConvertor::Open()
{
    if (m_active)
        throw EACMError(QStringLiteral("Cannot perform this action while active."));
    // Every codec here runs faster than real time, so the real-time request changes nothing.
    const codecs::Result result =
        codecs::streamOpen(m_source.Buffer(), m_destination.Buffer(), m_stream);
    CheckAudioResult<EACMConversionError>(result, QString());
    m_active = true;
    Reset();
}

void TMiniConvertor::Reset()
{
    m_prepared = false;
    if (m_stream)
        m_stream->reset();
    m_input = {};
    m_held = 0;
    m_output = {};
}

void TMiniConvertor::Close()
{
    Reset();
    m_stream.reset();
    m_active = false;
}

std::size_t TMiniConvertor::outputSize(qint64 bytes) const
{
    return m_stream->outputSize(static_cast<std::size_t>(bytes));
}

qint64 TMiniConvertor::Convert(const std::uint8_t *data, qint64 size)
{
    if (!m_active)
        throw EACMConversionError(QStringLiteral("Cannot perform this action while not active."));
    if (Capacity() < m_held + size) {
        if (m_prepared)
            throw EACMConversionError(
                QStringLiteral("Audio is too large to fit into conversion buffer"));
        m_input.resize(static_cast<std::size_t>((m_held + size) * 2));
    }
    if (size > 0)
        std::memcpy(m_input.data() + m_held, data, static_cast<std::size_t>(size));
    m_held += size;

    if (!m_prepared) {
        if (outputSize(m_held) == 0)
            return 0;
        m_input.resize(static_cast<std::size_t>(m_held * 3));
        m_output.assign(outputSize(Capacity()), 0);
        m_prepared = true;
    }
    if (outputSize(m_held) == 0)
        return 0;

    codecs::StreamResult result;
    {
        FloatingPointMask mask(m_maskFloatingPoint);
        result = m_stream->convert(m_input.data(), static_cast<std::size_t>(m_held),
                                   m_output.data(), m_output.size());
    }
    const auto used = static_cast<qint64>(result.srcUsed);
    std::memmove(m_input.data(), m_input.data() + used, static_cast<std::size_t>(m_held - used));
    m_held -= used;
    return static_cast<qint64>(result.dstUsed);
}

void TMiniConvertor::Finish(const std::uint8_t *data, qint64 size, std::vector<std::uint8_t> &out)
{
    if (!m_active)
        throw EACMConversionError(QStringLiteral("Cannot perform this action while not active."));
    std::vector<std::uint8_t> all(m_input.begin(), m_input.begin() + m_held);
    if (size > 0)
        all.insert(all.end(), data, data + size);
    {
        FloatingPointMask mask(m_maskFloatingPoint);
        m_stream->finish(all.data(), all.size(), out);
    }
    Reset();
}
