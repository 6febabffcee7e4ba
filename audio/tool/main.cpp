// calvora-wav: lists the codecs, describes WAV files, converts them and processes them as
// the program's post-processing tools do, on the same code as the program.
#include "ProcessCommands.h"
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
           "       calvora-wav gain [--format FORMAT] PERCENT IN.wav OUT.wav\n"
           "       calvora-wav equalize [--format FORMAT] IN.wav OUT.wav\n"
           "FORMAT is TAG[:RATE[:BITS[:CHANNELS]]] with TAG one of pcm, ulaw, alaw,\n"
           "ima-adpcm, ms-adpcm, gsm; what is left out follows the input\n"
           "(e.g. ima-adpcm:8000:4:1, pcm:44100:16:2, gsm).\n"
           "gain (PERCENT from -50 to 100) and equalize work as the Volume level and\n"
           "Voice equalizer tools: on the recording decoded to 8000 Hz, 8-bit mono, written\n"
           "back in the input's format unless --format names another. OUT may be IN: it\n"
           "is replaced only once the new file is complete.\n";
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
    if (command == QLatin1String("gain") || command == QLatin1String("equalize")) {
        QString format;
        QStringList operands;
        for (int i = 0; i < args.size(); ++i) {
            if (args[i] == QLatin1String("--")) {
                operands << args.mid(i + 1); // the usual end of the options
                break;
            }
            if (args[i] == QLatin1String("--format") && i + 1 < args.size())
                format = args[++i];
            else if (args[i].startsWith(QLatin1String("--format=")))
                format = args[i].mid(9);
            else if (args[i].startsWith(QLatin1String("--")))
                return usage(err);
            else
                operands << args[i];
        }
        if (command == QLatin1String("gain") && operands.size() == 3)
            return GainFile(operands[0], operands[1], operands[2], format, out, err);
        if (command == QLatin1String("equalize") && operands.size() == 2)
            return EqualizeFile(operands[0], operands[1], format, out, err);
        return usage(err);
    }
    return usage(err);
}
