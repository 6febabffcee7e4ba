// A recording is processed as the program's tools do it: decoded into the working PCM form
// (8000 Hz, mono, 8 bits), changed in memory, and encoded back into the input's compression
// or the one asked for, beside the output's name until complete.
#include "ProcessCommands.h"

#include "WavCommands.h"

#include "FormatSpec.h"
#include "OutputBeside.h"

#include "audio/EACMError.h"
#include "audio/StandardFormats.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/codecs/CodecLayer.h"
#include "audio/postproc/VoiceEqualizer.h"
#include "audio/postproc/VolumeLevel.h"

#include <QFile>
#include <functional>

namespace {

// Constant pieces, as the converter's buffers expect.
constexpr qsizetype Piece = 16384;

// Changes the working PCM in place; false (with error set) leaves the output unwritten.
using PcmProcess = std::function<bool(QByteArray &pcm, QString &report, QString &error)>;

QByteArray decodeWorkingPcm(TdeRIFFAudioReader &reader)
{
    const TdeWaveFormat from = reader.getFormat();
    QByteArray pcm;
    const quint32 samplesPerBlock = codecs::samplesPerBlock(from.Buffer());
    if (samplesPerBlock > 0 && from.BlockAlign() > 0 && from.SamplesPerSec() > 0) {
        const qint64 blocks = reader.AvailableSize() / from.BlockAlign() + 1;
        const double seconds = double(blocks) * samplesPerBlock / from.SamplesPerSec();
        pcm.reserve(qsizetype(seconds * 8000) + Piece);
    }
    TdeAudioConvertor convertor;
    convertor.setFormatIn(from);
    convertor.setFormatOut(WorkingPcmFormat());
    convertor.OnAudioConverted = [&pcm](TdeAudioConvertor &, const std::uint8_t *data,
                                        qint64 size) {
        pcm.append(reinterpret_cast<const char *>(data), qsizetype(size));
    };
    convertor.Open();
    reader.SelectTrack(0);
    QByteArray piece(Piece, Qt::Uninitialized);
    for (qint64 n; (n = reader.ReadData(piece.data(), piece.size())) > 0;)
        convertor.Convert(piece.constData(), n);
    convertor.flush();
    convertor.Close();
    return pcm;
}

void encodeInto(const QByteArray &pcm, const TdeWaveFormat &to, TdeRIFFAudioWriter &writer)
{
    TdeAudioConvertor convertor;
    convertor.setFormatIn(WorkingPcmFormat());
    convertor.setFormatOut(to);
    writer.setFormat(to);
    convertor.OnAudioConverted = [&writer](TdeAudioConvertor &, const std::uint8_t *data,
                                           qint64 size) { writer.Write(data, size); };
    convertor.Open();
    for (qsizetype at = 0; at < pcm.size(); at += Piece)
        convertor.Convert(pcm.constData() + at, std::min(Piece, pcm.size() - at));
    convertor.flush();
    convertor.Close();
}

int processFile(const QString &inPath, const QString &outPath, const QString &formatText,
                const PcmProcess &process, QTextStream &out, QTextStream &err)
{
    QString error;
    std::optional<FormatSpec> wanted;
    if (!formatText.isEmpty()) {
        wanted = ParseFormatSpec(formatText, error);
        if (!wanted) {
            err << "calvora-wav: " << error << "\n";
            return 2;
        }
    }
    QFile in(inPath);
    if (!in.open(QIODevice::ReadOnly)) {
        err << "calvora-wav: cannot open " << inPath << ": " << in.errorString() << "\n";
        return 1;
    }
    OutputBeside output(outPath);
    std::optional<TdeWaveFormat> input;
    try {
        TdeRIFFAudioReader reader(in);
        input = reader.getFormat();
        std::optional<TdeWaveFormat> to = reader.getFormat();
        if (wanted)
            to = ResolveFormatSpec(*wanted, reader.getFormat(), error);
        if (!to) {
            err << "calvora-wav: " << error << "\n";
            return 2;
        }
        QByteArray pcm = decodeWorkingPcm(reader);
        in.close();
        if (pcm.isEmpty()) {
            err << "calvora-wav: " << inPath << ": the file holds no audio data to process\n";
            return 1;
        }
        QString report;
        if (!process(pcm, report, error)) {
            err << "calvora-wav: " << inPath << ": " << error << "\n";
            return 1;
        }
        if (!output.open(error)) {
            err << "calvora-wav: " << error << "\n";
            return 1;
        }
        qint64 written = 0;
        {
            TdeRIFFAudioWriter writer(output.device());
            encodeInto(pcm, *to, writer);
            writer.complete();
            written = writer.BytesWritten();
        }
        if (!output.commit(error)) {
            err << "calvora-wav: " << error << "\n";
            return 1;
        }
        out << outPath << ": " << to->FormatDescription() << ", " << written << " bytes of audio; "
            << report << "\n";
    } catch (const EACMError &e) {
        PrintAudioError(err, inPath, e, input ? &*input : nullptr);
        return 1;
    }
    return 0;
}

} // namespace

int GainFile(const QString &percentText, const QString &inPath, const QString &outPath,
             const QString &formatText, QTextStream &out, QTextStream &err)
{
    QString text = percentText.trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    bool ok = false;
    const int percent = text.toInt(&ok);
    if (!ok || percent < VolumeLevel::MinPercent || percent > VolumeLevel::MaxPercent) {
        err << "calvora-wav: the gain must be a whole percentage from " << VolumeLevel::MinPercent
            << " to " << VolumeLevel::MaxPercent << ", not \"" << percentText.left(40) << "\"\n";
        return 2;
    }
    const VolumeLevel level(percent);
    return processFile(
        inPath, outPath, formatText,
        [&level](QByteArray &pcm, QString &report, QString &) {
            level.Apply(pcm);
            report = QStringLiteral("gain %1%").arg(level.percent());
            return true;
        },
        out, err);
}

int EqualizeFile(const QString &inPath, const QString &outPath, const QString &formatText,
                 QTextStream &out, QTextStream &err)
{
    return processFile(
        inPath, outPath, formatText,
        [](QByteArray &pcm, QString &report, QString &error) {
            const VoiceEqualizer::Outcome outcome = VoiceEqualizer::Apply(pcm);
            if (!outcome.voiceFound) {
                error = QString::fromLatin1(VoiceEqualizer::NoVoiceMessage);
                return false;
            }
            report = QStringLiteral("%1 of %2 runs of speech raised to 1.3 times the average "
                                    "speech level %3")
                         .arg(outcome.raisedCount())
                         .arg(outcome.segments.size())
                         .arg(double(outcome.averageLevel), 0, 'f', 2);
            return true;
        },
        out, err);
}
