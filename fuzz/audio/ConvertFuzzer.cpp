// Random formats and random bytes through the converter: every outcome is converted audio
// or an audio error, never a crash, a hang or a read out of bounds.
#include "audio/EACMError.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeCodec.h"

#include <cstdint>
#include <vector>

namespace {

std::vector<TdeWaveFormat> listedFormats()
{
    std::vector<TdeWaveFormat> list;
    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        const TdeCodec &codec = CodecCatalogue::Codec(i);
        for (int f = 0; f < codec.formatCount(); ++f)
            list.push_back(codec.Format(f).Format());
    }
    return list;
}

// A format from the input: a listed one, or one with its first bytes overwritten (so that
// damaged but nearly valid formats are tried).
TdeWaveFormat takeFormat(const uint8_t *&data, size_t &size)
{
    static const std::vector<TdeWaveFormat> listed = listedFormats();
    if (size < 2)
        return listed.front();
    TdeWaveFormat f = listed[data[1] % listed.size()];
    const bool damaged = data[0] & 1;
    data += 2;
    size -= 2;
    if (damaged) {
        const size_t n = std::min<size_t>(size, data[-2] >> 1 & 0x3F);
        std::copy(data, data + n, f.Buffer().begin());
        data += n;
        size -= n;
    }
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TdeWaveFormat in = takeFormat(data, size);
    const TdeWaveFormat out = takeFormat(data, size);
    if (size < 1)
        return 0;
    const size_t piece = size_t(data[0]) * 8 + 1;
    ++data;
    --size;
    try {
        TdeAudioConvertor convertor;
        convertor.setFormatIn(in);
        convertor.setFormatOut(out);
        convertor.OnAudioConverted = [](TdeAudioConvertor &, const std::uint8_t *d, qint64 n) {
            volatile std::uint8_t sink = 0;
            for (qint64 i = 0; i < n; i += 997)
                sink = sink ^ d[i];
        };
        convertor.Open();
        for (size_t at = 0; at < size; at += piece)
            convertor.Convert(data + at, qint64(std::min(piece, size - at)));
        convertor.flush();
        convertor.Close();
    } catch (const EACMError &) {
    }
    return 0;
}
