// One stage of a converter: a codec stream from one format to the next, with the input
// bytes it holds until they make whole blocks and the output of its last conversion.
#pragma once

#include "audio/TdeWaveFormat.h"
#include "audio/codecs/Driver.h"

#include <memory>
#include <vector>

class TMiniConvertor final
{
public:
    TMiniConvertor(const TdeWaveFormat &source, const TdeWaveFormat &destination,
                   bool requestRealTime, bool maskFloatingPoint);
    ~TMiniConvertor();
    TMiniConvertor(const TMiniConvertor &) = delete;
    TMiniConvertor &operator=(const TMiniConvertor &) = delete;

    // Opens the codec stream; raises EACMError when already open, EACMConversionError when
    // the codec layer refuses.
    void Open();
    // Drops the held bytes and closes the stream.
    void Close();
    void Reset();

    // Converts the held bytes and data as far as whole blocks go; returns the bytes now in
    // Output() (0: nothing yet, the bytes stay held).
    qint64 Convert(const std::uint8_t *data, qint64 size);
    // Ends the stream: converts the held bytes and data completely, appending to out, and
    // starts the stage afresh.
    void Finish(const std::uint8_t *data, qint64 size, std::vector<std::uint8_t> &out);

    const std::uint8_t *Output() const { return m_output.data(); }
    bool Active() const { return m_active; }
    bool prepared() const { return m_prepared; }
    qint64 Capacity() const { return qint64(m_input.size()); }
    qint64 Held() const { return m_held; }
    const TdeWaveFormat &Source() const { return m_source; }
    const TdeWaveFormat &Destination() const { return m_destination; }
    bool realTime() const { return m_realTime; }

private:
    std::size_t outputSize(qint64 bytes) const;

    TdeWaveFormat m_source;
    TdeWaveFormat m_destination;
    bool m_realTime;
    bool m_maskFloatingPoint;
    std::unique_ptr<codecs::Stream> m_stream;
    std::vector<std::uint8_t> m_input; // its size is the capacity
    qint64 m_held = 0;
    std::vector<std::uint8_t> m_output;
    bool m_prepared = false;
    bool m_active = false;
};
