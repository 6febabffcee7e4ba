// The caller directory from the command line.
#include "ContactsCommands.h"

#include "CatalogueTool.h"
#include "callers/CallerDirectory.h"
#include "callers/ContactsFile.h"

namespace ContactsCommands {

namespace {

using CatalogueTool::Failed;
using CatalogueTool::Ok;
using CatalogueTool::Usage;

bool openDirectory(CallerDirectory &callers, QTextStream &err)
{
    if (callers.load())
        return true;
    err << callers.error() << Qt::endl;
    return false;
}

int import(const QString &dataDir, const QString &path, QTextStream &out, QTextStream &err)
{
    const ContactsFile::Read read = ContactsFile::read(path);
    if (!read.error.isEmpty()) {
        err << read.error << Qt::endl;
        return Failed;
    }
    CallerDirectory callers(dataDir);
    if (!openDirectory(callers, err))
        return Failed;
    const CallerDirectory::ImportCounts counts = callers.import(read.cards.contacts);
    if (!callers.save()) {
        err << callers.error() << Qt::endl;
        return Failed;
    }
    out << ContactsFile::summary(counts, read.cards.skipped) << Qt::endl;
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
