// Any bytes as a WAV file: the reader either refuses them with "Invalid file format." or
// yields a format and data that the converter decodes or refuses with an audio error.
#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"

#include <QBuffer>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        TdeRIFFAudioReader reader(buffer);
        const TdeWaveFormat format = reader.getFormat();
        (void)format.FormatDescription();
        if (reader.AvailableSize() > reader.TrackSize(0) || reader.AvailableSize() > qint64(size))
            std::abort();
        QByteArray all(int(reader.AvailableSize()), '\0');
        if (reader.ReadTrack(0, all.data(), all.size()) != all.size())
            std::abort();

        TdeAudioConvertor convertor;
        convertor.setFormatIn(format);
        convertor.setFormatOut(WorkingPcmFormat());
        qint64 produced = 0;
        convertor.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *, qint64 n) {
            produced += n;
        };
        convertor.Open();
        convertor.Convert(all.constData(), all.size());
        convertor.flush();
        convertor.Close();
    } catch (const EACMError &) {
        // Refused input: the expected outcome for most of it.
    }
    return 0;
}
