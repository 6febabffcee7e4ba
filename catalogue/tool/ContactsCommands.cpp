// The caller directory from the command line.
#include "ContactsCommands.h"

#include "CatalogueTool.h"
#include "callers/CallerDirectory.h"
#include "callers/VCardReader.h"

#include <QFile>

namespace ContactsCommands {

namespace {

using CatalogueTool::Failed;
using CatalogueTool::Ok;
using CatalogueTool::Usage;

// An address book of a hundred thousand cards with photos stays below this; more is not one.
constexpr qint64 MaxVCardFileSize = 256 * 1024 * 1024;

bool openDirectory(CallerDirectory &callers, QTextStream &err)
{
    if (callers.load())
        return true;
    err << callers.error() << Qt::endl;
    return false;
}

int import(const QString &dataDir, const QString &path, QTextStream &out, QTextStream &err)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        err << "Cannot read " << path << ": " << file.errorString() << Qt::endl;
        return Failed;
    }
    if (file.size() > MaxVCardFileSize) {
        err << "Cannot read " << path << ": too large for a contacts file" << Qt::endl;
        return Failed;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        err << "Cannot read " << path << ": " << file.errorString() << Qt::endl;
        return Failed;
    }
    const VCardReader::Result read = VCardReader::read(content);
    if (read.contacts.isEmpty() && read.skipped == 0) {
        err << path << " holds no vCard contacts" << Qt::endl;
        return Failed;
    }
    CallerDirectory callers(dataDir);
    if (!openDirectory(callers, err))
        return Failed;
    const CallerDirectory::ImportCounts counts = callers.import(read.contacts);
    if (!callers.save()) {
        err << callers.error() << Qt::endl;
        return Failed;
    }
    out << counts.added << " callers added, " << counts.extended << " given more numbers, "
        << counts.unchanged << " already known";
    if (read.skipped > 0)
        out << ", " << read.skipped << " cards without a name or a number left out";
    out << Qt::endl;
    return Ok;
}

int list(const QString &dataDir, QTextStream &out, QTextStream &err)
{
    CallerDirectory callers(dataDir);
    if (!openDirectory(callers, err))
        return Failed;
    out << "Name\tNumbers\tGroups\n";
    for (const CallerEntry &e : callers.entries())
        out << e.name << '\t' << e.numbers.join(QStringLiteral(", ")) << '\t'
            << e.groups.join(QStringLiteral(", ")) << '\n';
    out.flush();
    return Ok;
}

// The name a call from number would be logged with; exit code 1 when the directory has none.
int lookup(const QString &dataDir, const QString &number, QTextStream &out, QTextStream &err)
{
    CallerDirectory callers(dataDir);
    if (!openDirectory(callers, err))
        return Failed;
    const QString name = callers.callerName(number);
    if (name.isEmpty()) {
        err << "No caller has the number " << number << Qt::endl;
        return Failed;
    }
    out << name << Qt::endl;
    return Ok;
}

int homeCountry(const QString &dataDir, const QStringList &args, QTextStream &out, QTextStream &err)
{
    CallerDirectory callers(dataDir);
    if (!openDirectory(callers, err))
        return Failed;
    if (!args.isEmpty()) {
        const QString code = args[0] == QLatin1String("system") ? QString() : args[0].toUpper();
        if (!callers.setHomeCountry(code)) {
            err << "Unknown country code " << args[0] << "; use a region code such as GB or US"
                << Qt::endl;
            return Usage;
        }
        if (!callers.save()) {
            err << callers.error() << Qt::endl;
            return Failed;
        }
    }
    const QString country = callers.homeCountry();
    out << (country.isEmpty() ? QStringLiteral("none") : country);
    if (callers.homeCountrySetting().isEmpty())
        out << " (the system's)";
    out << Qt::endl;
    return Ok;
}

} // namespace

std::optional<int> run(const QString &dataDir, const QStringList &args, QTextStream &out,
                       QTextStream &err)
{
    const QString command = args.value(0);
    if (command == QLatin1String("import") && args.size() == 2)
        return import(dataDir, args[1], out, err);
    if (command == QLatin1String("list") && args.size() == 1)
        return list(dataDir, out, err);
    if (command == QLatin1String("lookup") && args.size() == 2)
        return lookup(dataDir, args[1], out, err);
    if (command == QLatin1String("home-country") && args.size() <= 2)
        return homeCountry(dataDir, args.mid(1), out, err);
    return std::nullopt;
}

} // namespace ContactsCommands
