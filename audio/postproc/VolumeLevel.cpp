// The gain rule is computed once for each of the 256 sample values, so that scaling an hour
// of audio is one table look-up per byte.
#include "audio/postproc/VolumeLevel.h"

#include "audio/postproc/HalfEven.h"

#include <algorithm>

VolumeLevel::VolumeLevel(int percent) : m_percent(percent)
{
    const double g = double(percent) / 100.0;
    for (int b = 0; b < 256; ++b) {
        const long long r = HalfEven::Round((1.0 + g) * double(b - 127)) + 127;
        m_table[std::size_t(b)] = static_cast<std::uint8_t>(std::clamp(r, 0LL, 255LL));
    }
}

void VolumeLevel::scale(std::uint8_t *from, std::uint8_t *to) const
{
    for (; from != to; ++from)
        *from = m_table[*from];
}

void VolumeLevel::Apply(std::span<std::uint8_t> samples, const GaugeHandler &gauge) const
{
    std::uint8_t *const data = samples.data();
    const std::size_t size = samples.size();
    const std::size_t step = size / 100;
    std::size_t done = 0;
    if (gauge && step > 0) {
        // The count of bytes reaches step at i = step − 1, 2 × step − 1, ...; the gauge
        // moves before byte i is scaled.
        for (std::size_t i = step - 1; i < size; i += step) {
            scale(data + done, data + i);
            done = i;
            gauge(HalfEven::Percent(double(i), double(size)));
        }
    }
    scale(data + done, data + size);
}

void VolumeLevel::Apply(QByteArray &pcm, const GaugeHandler &gauge) const
{
    Apply(std::span(reinterpret_cast<std::uint8_t *>(pcm.data()), std::size_t(pcm.size())), gauge);
}
