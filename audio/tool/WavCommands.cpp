// Listing the codecs, describing a WAV file and converting one into another format.
#include "WavCommands.h"

#include "FormatSpec.h"
#include "OutputBeside.h"

#include "audio/EACMError.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeCodec.h"
#include "audio/TdeRIFFAudioReader.h"
#include "audio/TdeRIFFAudioWriter.h"
#include "audio/codecs/CodecLayer.h"

#include <QFile>

namespace {

QString tagText(quint16 tag)
{
    std::string name;
    if (codecs::tagDetails(tag, name) == codecs::Result::Ok)
        return QString::fromStdString(name);
    return QStringLiteral("unknown");
}

// Frames (samples per channel) in size bytes of format; -1 when no codec knows the format.
qint64 framesIn(const TdeWaveFormat &format, qint64 size)
{
    const quint32 spb = codecs::samplesPerBlock(format.Buffer());
    if (spb == 0 || format.BlockAlign() == 0)
        return -1;
    return size / format.BlockAlign() * spb;
}

} // namespace

void PrintAudioError(QTextStream &err, const QString &path, const EACMError &e,
                     const TdeWaveFormat *input)
{
    err << "calvora-wav: " << path << ": " << e.message() << "\n";
    if (!e.reason().isEmpty())
        err << "calvora-wav: " << e.reason() << "\n";
    else if (input)
        err << "calvora-wav: no codec converts its format (" << input->FormatDescription()
            << ", format tag " << input->FormatTag() << ")\n";
}

int ListFormats(QTextStream &out)
{
    for (int i = 0; i < CodecCatalogue::count(); ++i) {
        const TdeCodec &codec = CodecCatalogue::Codec(i);
        out << codec.ShortName() << " - " << codec.LongName() << "\n";
        for (int f = 0; f < codec.formatCount(); ++f) {
            const TdeWaveFormat format = codec.Format(f).Format();
            out << "  " << FormatSpecText(format).leftJustified(22) << " "
                << format.FormatDescription() << "\n";
        }
    }
    return 0;
}

int ShowInfo(const QString &path, QTextStream &out, QTextStream &err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "calvora-wav: cannot open " << path << ": " << file.errorString() << "\n";
        return 1;
    }
    try {
        TdeRIFFAudioReader reader(file);
        const TdeWaveFormat f = reader.getFormat();
        const QString description = f.FormatDescription();
        out << "Format:       " << tagText(f.FormatTag()) << " (tag 0x"
            << QString::number(f.FormatTag(), 16).rightJustified(4, QLatin1Char('0')) << ")\n";
        out << "Description:  " << (description.isEmpty() ? QStringLiteral("-") : description)
            << "\n";
        out << "Rate:         " << f.SamplesPerSec() << " Hz\n";
        out << "Bits:         " << f.BitsPerSample() << "\n";
        out << "Channels:     " << f.Channels() << "\n";
        out << "Block align:  " << f.BlockAlign() << "\n";
        const qint64 available = reader.AvailableSize();
        out << "Data size:    " << available << " bytes";
        if (available != reader.TrackSize(0))
            out << " (the header declares " << reader.TrackSize(0) << ")";
        out << "\n";
        const qint64 frames = framesIn(f, available);
        if (frames >= 0 && f.SamplesPerSec() > 0)
            out << "Duration:     " << QString::number(double(frames) / f.SamplesPerSec(), 'f', 3)
                << " s\n";
        else
            out << "Duration:     unknown (no codec for this format)\n";
    } catch (const EACMError &e) {
        PrintAudioError(err, path, e);
        return 1;
    }
    return 0;
}

namespace {

// Converts the data of reader into writer's file.
void convertInto(TdeRIFFAudioReader &reader, const TdeWaveFormat &to, TdeRIFFAudioWriter &writer)
{
    TdeAudioConvertor convertor;
    convertor.setFormatIn(reader.getFormat());
    convertor.setFormatOut(to);
    writer.setFormat(to);
    convertor.OnAudioConverted = [&writer](TdeAudioConvertor &, const std::uint8_t *data,
                                           qint64 size) { writer.Write(data, size); };
    convertor.Open();
    reader.SelectTrack(0);
    // Constant pieces, as the converter's buffers expect.
    QByteArray piece(16384, Qt::Uninitialized);
    for (qint64 n; (n = reader.ReadData(piece.data(), piece.size())) > 0;)
        convertor.Convert(piece.constData(), n);
    convertor.flush();
    convertor.Close();
}

} // namespace

int ConvertFile(const QString &formatText, const QString &inPath, const QString &outPath,
                QTextStream &out, QTextStream &err)
{
    QString error;
    const std::optional<FormatSpec> wanted = ParseFormatSpec(formatText, error);
    if (!wanted) {
        err << "calvora-wav: " << error << "\n";
        return 2;
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
        const std::optional<TdeWaveFormat> to =
            ResolveFormatSpec(*wanted, reader.getFormat(), error);
        if (!to) {
            err << "calvora-wav: " << error << "\n";
            return 2;
        }
        if (!output.open(error)) {
            err << "calvora-wav: " << error << "\n";
            return 1;
        }
        qint64 written = 0;
        {
            TdeRIFFAudioWriter writer(output.device());
            convertInto(reader, *to, writer);
            writer.complete();
            written = writer.BytesWritten();
        }
        if (written == 0) {
            err << "calvora-wav: " << inPath << ": the file holds no audio data to convert\n";
            return 1;
        }
        if (!output.commit(error)) {
            err << "calvora-wav: " << error << "\n";
            return 1;
        }
        out << outPath << ": " << to->FormatDescription() << ", " << written << " bytes of audio\n";
    } catch (const EACMError &e) {
        PrintAudioError(err, inPath, e, input ? &*input : nullptr);
        return 1;
    }
    return 0;
}
