// calvora-wav: lists the codecs, describes WAV files and converts them, on the same code
// as the recorder.
#include "WavCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

namespace {

int usage(QTextStream &err)
{
    err << "usage: calvora-wav formats\n"
           "       calvora-wav info FILE\n"
           "       calvora-wav convert --to FORMAT IN.wav OUT.wav\n"
           "FORMAT is TAG[:RATE[:BITS[:CHANNELS]]] with TAG one of pcm, ulaw, alaw,\n"
           "ima-adpcm, ms-adpcm, gsm; what is left out follows the input\n"
           "(e.g. ima-adpcm:8000:4:1, pcm:44100:16:2, gsm).\n";
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(err);
    const QString command = args.takeFirst();
    if (command == QLatin1String("formats") && args.isEmpty())
        return ListFormats(out);
    if (command == QLatin1String("info") && args.size() == 1)
        return ShowInfo(args[0], out, err);
    if (command == QLatin1String("convert")) {
        QString format;
        QStringList files;
        for (int i = 0; i < args.size(); ++i) {
            if (args[i] == QLatin1String("--to") && i + 1 < args.size())
                format = args[++i];
            else if (args[i].startsWith(QLatin1String("--to=")))
                format = args[i].mid(5);
            else
                files << args[i];
        }
        if (format.isEmpty() || files.size() != 2)
            return usage(err);
        return ConvertFile(format, files[0], files[1], out, err);
    }
    return usage(err);
}
