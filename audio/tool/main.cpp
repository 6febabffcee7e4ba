// calvora-wav: lists the codecs, describes WAV files, converts them and processes them as
// the program's post-processing tools do, on the same code as the program.
#include "ProcessCommands.h"
#include "WavCommands.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

namespace {

const char *const UsageText =
    "usage: calvora-wav formats\n"
    "       calvora-wav info FILE\n"
    "       calvora-wav convert --to FORMAT IN.wav OUT.wav\n"
    "       calvora-wav gain [--format FORMAT] PERCENT IN.wav OUT.wav\n"
    "       calvora-wav equalize [--format FORMAT] IN.wav OUT.wav\n"
    "       calvora-wav --help | --version\n"
    "FORMAT is TAG[:RATE[:BITS[:CHANNELS]]] with TAG one of pcm, ulaw, alaw,\n"
    "ima-adpcm, ms-adpcm, gsm; what is left out follows the input\n"
    "(e.g. ima-adpcm:8000:4:1, pcm:44100:16:2, gsm).\n"
    "gain (PERCENT from -50 to 100) and equalize work as the Volume level and\n"
    "Voice equalizer tools: on the recording decoded to 8000 Hz, 8-bit mono, written\n"
    "back in the input's format unless --format names another. OUT may be IN: it\n"
    "is replaced only once the new file is complete.\n";

// A mistake: its reason on one line, then the usage, on standard error.
int usage(QTextStream &err, const QString &reason)
{
    err << "calvora-wav: " << reason << '\n' << UsageText;
    return 2;
}

// The options of convert, gain and equalize, anywhere after the command; "--" ends them.
struct Parsed
{
    QString format;
    QStringList operands;
    QString mistake;
};

Parsed parseOptions(const QStringList &args, const QString &formatOption)
{
    Parsed p;
    const QString withValue = formatOption + QLatin1Char('=');
    for (int i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--")) {
            p.operands << args.mid(i + 1);
            break;
        }
        if (!formatOption.isEmpty() && arg == formatOption) {
            if (i + 1 >= args.size()) {
                p.mistake = arg + QStringLiteral(" needs a value");
                return p;
            }
            p.format = args[++i];
        } else if (!formatOption.isEmpty() && arg.startsWith(withValue)) {
            p.format = arg.mid(withValue.size());
        } else if (arg.startsWith(QLatin1String("--"))) {
            p.mistake = QStringLiteral("unknown option ") + arg;
            return p;
        } else {
            p.operands << arg;
        }
    }
    return p;
}

QString operandCount(const QString &command, const QString &expected)
{
    return command + QStringLiteral(" takes ") + expected;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    for (const QString &arg : std::as_const(args)) {
        if (arg == QLatin1String("--"))
            break;
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << UsageText;
            return 0;
        }
        if (arg == QLatin1String("--version")) {
            out << "calvora-wav " << CALVORA_VERSION << '\n';
            return 0;
        }
    }
    if (args.isEmpty())
        return usage(err, QStringLiteral("a command is needed"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("formats")) {
        if (!args.isEmpty())
            return usage(err, QStringLiteral("formats takes no arguments"));
        return ListFormats(out);
    }
    if (command == QLatin1String("info")) {
        const Parsed p = parseOptions(args, QString());
        if (!p.mistake.isEmpty())
            return usage(err, p.mistake);
        if (p.operands.size() != 1)
            return usage(err, operandCount(command, QStringLiteral("one FILE")));
        return ShowInfo(p.operands[0], out, err);
    }
    if (command == QLatin1String("convert")) {
        const Parsed p = parseOptions(args, QStringLiteral("--to"));
        if (!p.mistake.isEmpty())
            return usage(err, p.mistake);
        if (p.format.isEmpty())
            return usage(err, QStringLiteral("convert needs --to FORMAT"));
        if (p.operands.size() != 2)
            return usage(err, operandCount(command, QStringLiteral("IN.wav and OUT.wav")));
        return ConvertFile(p.format, p.operands[0], p.operands[1], out, err);
    }
    if (command == QLatin1String("gain") || command == QLatin1String("equalize")) {
        const Parsed p = parseOptions(args, QStringLiteral("--format"));
        if (!p.mistake.isEmpty())
            return usage(err, p.mistake);
        if (command == QLatin1String("gain")) {
            if (p.operands.size() != 3)
                return usage(err,
                             operandCount(command, QStringLiteral("PERCENT, IN.wav and OUT.wav")));
            return GainFile(p.operands[0], p.operands[1], p.operands[2], p.format, out, err);
        }
        if (p.operands.size() != 2)
            return usage(err, operandCount(command, QStringLiteral("IN.wav and OUT.wav")));
        return EqualizeFile(p.operands[0], p.operands[1], p.format, out, err);
    }
    return usage(err, QStringLiteral("unknown command ") + command);
}
