// Loading, saving and playing recordings as working PCM.
#include "audio/out/TfmAudio.h"

#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "support/MessageService.h"

#include <QBuffer>
#include <QFile>
#include <QSaveFile>
#include <vector>

namespace {
constexpr qint64 PieceSize = 2048;
constexpr int StartBlocks = 5; // BufferCount + 1: the fifth block starts the device
constexpr char ZeroLine = char(0x80);

// Reads up to one piece of the stream into block; the rest of the block is silence.
void fillBlock(QBuffer &stream, std::uint8_t *block)
{
    const qint64 got = std::max<qint64>(0, stream.read(reinterpret_cast<char *>(block), PieceSize));
    std::fill(block + got, block + PieceSize, std::uint8_t(ZeroLine));
}
} // namespace

TfmAudio::TfmAudio(MessageService &messages, std::unique_ptr<WaveOutDevice> device, QObject *parent)
    : QObject(parent), AudioOut(std::move(device)), m_messages(messages)
{
    setObjectName(QStringLiteral("fmAudio"));
    pcmConverter1.setFormatOut(WorkingPcmFormat());
    pcmConverter2.setFormatOut(WorkingPcmFormat());
    AudioOut.AutoOpen = false;
    AudioOut.setBufferCount(4);
    AudioOut.setFormat(WorkingPcmFormat());
    AudioOut.OnAudioPlayed = [this](TdeCustomAudioOut &sender, std::uint8_t *data,
                                    std::uint32_t size) {
        AudioOutAudioPlayed(sender, data, size);
    };
    pcmConverter1.OnAudioConverted = [this](TdeAudioConvertor &, const std::uint8_t *data,
                                            qint64 size) {
        stmWav->write(reinterpret_cast<const char *>(data), size);
    };
}

TfmAudio::~TfmAudio() = default;

bool TfmAudio::LoadWav(const QString &path, QBuffer &stream)
{
    stmWav = &stream;
    QFile file(path);
    std::unique_ptr<TdeRIFFAudioReader> reader;
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw FileAccessError(file.errorString());
        reader = std::make_unique<TdeRIFFAudioReader>(file);
        pcmConverter1.setFormatIn(reader->TrackFormat(0));
        pcmConverter1.Open();
        for (int track = 0; track < reader->TrackCount(); ++track) {
            // The declared size, of which a truncated file lacks a tail that converts as
            // zero bytes; never more than the file's bytes up to a whole codec block, so
            // that a damaged header cannot ask for gigabytes.
            const qint64 align = std::max<qint64>(1, reader->TrackFormat(track).BlockAlign());
            const qint64 available = (reader->AvailableSize() + align - 1) / align * align;
            qint64 left = std::min(reader->TrackSize(track), available);
            reader->SelectTrack(track);
            std::vector<char> piece(std::size_t(std::min<qint64>(left, 1 << 16)));
            while (left > 0) {
                const qint64 n = std::min<qint64>(left, qint64(piece.size()));
                std::fill(piece.begin(), piece.end(), 0);
                reader->ReadData(piece.data(), n);
                pcmConverter1.Convert(piece.data(), n);
                left -= n;
            }
            pcmConverter1.flush();
        }
        pcmConverter1.Close();
        return true;
    } catch (const std::exception &) {
        m_messages.showMessage(QStringLiteral("Error was created during pcm conversion"),
                               MessageService::Kind::Error);
        if (pcmConverter1.Active()) {
            try {
                pcmConverter1.Close();
            } catch (const std::exception &) {
            }
        }
        return false;
    }
}

bool TfmAudio::SaveWav(const QString &path, QBuffer &stream)
{
    m_saveError.clear();
    // The recording is replaced only by a complete new file: a full disk or a failing codec
    // half-way must not cost the user the recording.
    QSaveFile file(path);
    try {
        if (!file.open(QIODevice::WriteOnly))
            throw FileAccessError(file.errorString());
        TdeRIFFAudioWriter writer(file);
        Converter.setFormatIn(pcmConverter1.FormatOut());
        Converter.setFormatOut(pcmConverter1.FormatIn());
        writer.setFormat(Converter.FormatOut());
        Converter.OnAudioConverted = [&writer](TdeAudioConvertor &, const std::uint8_t *data,
                                               qint64 size) { writer.Write(data, size); };
        Converter.Open();
        stream.seek(0);
        const qint64 size = stream.size();
        auto feed = [&](qint64 n) {
            std::vector<char> piece(static_cast<std::size_t>(n));
            stream.read(piece.data(), n);
            if (onConverterFed)
                onConverterFed(n);
            Converter.Convert(piece.data(), n);
        };
        for (qint64 i = 0; i < size / PieceSize; ++i)
            feed(PieceSize);
        if (size % PieceSize > 0)
            feed(size % PieceSize);
        // The last partial codec block is completed rather than dropped.
        Converter.flush();
        Converter.Close();
        if (writer.BytesWritten() == 0)
            throw EACMAudioStreamError(QStringLiteral("There is no audio to save."));
        writer.complete();
        if (!file.commit())
            throw FileAccessError(file.errorString());
        return true;
    } catch (const std::exception &e) {
        m_saveError = QString::fromUtf8(e.what());
        if (Converter.Active()) {
            try {
                Converter.Close();
            } catch (const std::exception &) {
            }
        }
        file.cancelWriting();
        return false;
    }
}

void TfmAudio::PlayStream(QBuffer &stream)
{
    stmWav = &stream;
    AudioOut.setFormat(pcmConverter2.FormatOut());
    AudioOut.Open();
    stream.seek(0);
    std::uint8_t block[PieceSize];
    for (int i = 0; i < StartBlocks; ++i) {
        fillBlock(stream, block);
        AudioOut.Play(block, PieceSize);
    }
}

void TfmAudio::AudioOutAudioPlayed(TdeCustomAudioOut &, std::uint8_t *data, std::uint32_t size)
{
    if (stmWav && stmWav->pos() < stmWav->size() && size >= PieceSize) {
        fillBlock(*stmWav, data);
        AudioOut.Play(data, PieceSize);
    } else if (AudioOut.QueuedBuffers() <= 1) {
        AudioOut.Close();
    }
}

void TfmAudio::AudioClose()
{
    AudioOut.Close();
}
