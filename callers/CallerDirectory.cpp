// The directory's file is UTF-8 text, one record a line, fields separated by tabs:
//   Calvora callers 1
//   HomeCountry<TAB>GB
//   Caller<TAB>name<TAB>number<TAB>number...
//   Groups<TAB>group<TAB>group...     (the groups of the Caller line before it)
// Lines of other kinds are passed over, so that a later version may add some; the groups have
// a line of their own so that a version that knows no groups reads the same entries.
#include "CallerDirectory.h"

#include "callers/CallerId.h"
#include "callers/LineFile.h"
#include "callers/PhoneNumberKey.h"
#include "support/AtomicFile.h"

#include <QFile>

namespace {

const QByteArray Header = "Calvora callers 1";
const QString HomeCountryKind = QStringLiteral("HomeCountry");
const QString CallerKind = QStringLiteral("Caller");
const QString GroupsKind = QStringLiteral("Groups");

// A directory of tens of thousands of entries is a few megabytes; more is not ours.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;

// Tabs and line ends would break the file's fields and lines.
QString field(const QString &text)
{
    return LineFile::field(text, VCardReader::MaxTextLength);
}

// Adds the groups the entry lacks (regardless of case); true when one was added.
bool addGroups(CallerEntry &entry, const QStringList &groups)
{
    bool added = false;
    for (const QString &g : groups) {
        const QString group = field(g);
        if (!group.isEmpty() && !entry.groups.contains(group, Qt::CaseInsensitive) &&
            entry.groups.size() < VCardReader::MaxGroupsPerCard) {
            entry.groups.append(group);
            added = true;
        }
    }
    return added;
}

} // namespace

QString CallerDirectory::fileName()
{
    return QStringLiteral("Callers.txt");
}

CallerDirectory::CallerDirectory(const QString &dataDir) : m_dataDir(dataDir) {}

QString CallerDirectory::filePath() const
{
    return m_dataDir + QLatin1Char('/') + fileName();
}

bool CallerDirectory::load()
{
    m_entries.clear();
    m_homeCountry.clear();
    m_error.clear();
    m_unreadable = false;
    rebuildIndex();
    if (!QFile::exists(filePath()))
        return true;
    QList<QByteArray> lines;
    QString why;
    if (LineFile::read(filePath(), MaxFileSize, QStringLiteral("a caller directory"), lines, why) &&
        lines.value(0).trimmed() != Header)
        why = QStringLiteral("not a caller directory");
    if (!why.isEmpty()) {
        m_error = filePath() + QStringLiteral(": ") + why;
        m_unreadable = true;
        return false;
    }
    bool entryRead = false; // the line before was a Caller line that gave an entry
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = QString::fromUtf8(lines[i]).trimmed().split(QLatin1Char('\t'));
        const bool groupsOfEntry = entryRead;
        entryRead = false;
        if (fields.size() == 2 && fields[0] == HomeCountryKind &&
            PhoneNumberKey::isKnownCountry(fields[1])) {
            m_homeCountry = fields[1];
        } else if (fields.size() >= 3 && fields[0] == CallerKind) {
            CallerEntry entry{field(fields[1]), {}, {}};
            for (const QString &n : fields.mid(2))
                if (!field(n).isEmpty())
                    entry.numbers.append(field(n));
            if (!entry.name.isEmpty() && !entry.numbers.isEmpty()) {
                m_entries.append(entry);
                entryRead = true;
            }
        } else if (fields.size() >= 2 && fields[0] == GroupsKind && groupsOfEntry) {
            addGroups(m_entries.last(), fields.mid(1));
        }
    }
    rebuildIndex();
    return true;
}

bool CallerDirectory::save()
{
    if (m_unreadable) {
        m_error = filePath() + QStringLiteral(": could not be read, so it is not replaced");
        return false;
    }
    QByteArray content = Header + '\n';
    if (!m_homeCountry.isEmpty())
        content += (HomeCountryKind + QLatin1Char('\t') + m_homeCountry).toUtf8() + '\n';
    for (const CallerEntry &e : m_entries) {
        QStringList fields{CallerKind, field(e.name)};
        for (const QString &n : e.numbers)
            fields.append(field(n));
        content += fields.join(QLatin1Char('\t')).toUtf8() + '\n';
        QStringList groups{GroupsKind};
        for (const QString &g : e.groups)
            if (!field(g).isEmpty())
                groups.append(field(g));
        if (groups.size() > 1)
            content += groups.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    if (!AtomicFile::write(filePath(), content)) {
        m_error = FileSaveError(QStringLiteral("Cannot write ") + filePath(), errno).describe();
        return false;
    }
    m_error.clear();
    return true;
}

QString CallerDirectory::homeCountry() const
{
    return m_homeCountry.isEmpty() ? PhoneNumberKey::systemCountry() : m_homeCountry;
}

bool CallerDirectory::setHomeCountry(const QString &code)
{
    if (!code.isEmpty() && !PhoneNumberKey::isKnownCountry(code))
        return false;
    m_homeCountry = code;
    rebuildIndex();
    return true;
}

CallerDirectory::ImportCounts CallerDirectory::import(const QList<VCardReader::Contact> &contacts)
{
    ImportCounts counts;
    const QString country = homeCountry();
    QHash<QString, qsizetype> byName; // the first entry of each name
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i)
        byName.insert(m_entries[i].name, i);
    for (const VCardReader::Contact &contact : contacts) {
        const QString name = field(contact.name);
        QStringList fresh;
        QStringList freshKeys;
        for (const QString &n : contact.numbers) {
            const QString number = field(n);
            const QString key = PhoneNumberKey::key(number, country);
            if (key.isEmpty() || m_byKey.contains(key) || freshKeys.contains(key))
                continue;
            fresh.append(number);
            freshKeys.append(key);
        }
        qsizetype at = byName.value(name, -1);
        // A contact known by its name may bring groups alone.
        const bool newGroups =
            at >= 0 && fresh.isEmpty() && addGroups(m_entries[at], contact.groups);
        if (newGroups) {
            ++counts.extended;
            continue;
        }
        if (name.isEmpty() || fresh.isEmpty()) {
            ++counts.unchanged;
            continue;
        }
        if (at < 0) {
            CallerEntry entry{name, fresh, {}};
            addGroups(entry, contact.groups);
            m_entries.append(entry);
            at = m_entries.size() - 1;
            byName.insert(name, at);
            ++counts.added;
        } else {
            m_entries[at].numbers += fresh;
            addGroups(m_entries[at], contact.groups);
            ++counts.extended;
        }
        index(int(at));
    }
    return counts;
}

QString CallerDirectory::setEntry(int at, const CallerEntry &entry)
{
    const QString country = homeCountry();
    CallerEntry clean{field(entry.name), {}};
    if (clean.name.isEmpty())
        return QStringLiteral("Enter the caller's name.");
    QStringList keys;
    for (const QString &n : entry.numbers) {
        const QString number = field(n);
        if (number.isEmpty())
            continue;
        const QString key = PhoneNumberKey::key(number, country);
        if (key.isEmpty())
            return QStringLiteral("\"%1\" is not a telephone number.").arg(number);
        const int holder = m_byKey.value(key, -1);
        if (holder >= 0 && holder != at)
            return QStringLiteral("The number %1 is already %2's.")
                .arg(number, m_entries[holder].name);
        if (keys.contains(key))
            continue;
        keys.append(key);
        clean.numbers.append(number);
    }
    if (clean.numbers.isEmpty())
        return QStringLiteral("Enter at least one telephone number.");
    addGroups(clean, entry.groups);
    if (at < 0)
        m_entries.append(clean);
    else
        m_entries[at] = clean;
    rebuildIndex();
    return {};
}

void CallerDirectory::removeEntry(int at)
{
    m_entries.removeAt(at);
    rebuildIndex();
}

int CallerDirectory::find(const QString &number) const
{
    const QString key = PhoneNumberKey::key(number, homeCountry());
    return key.isEmpty() ? -1 : m_byKey.value(key, -1);
}

QString CallerDirectory::callerName(const QString &callerIdNumber) const
{
    const CallerId::Kind kind = CallerId::kindOf(callerIdNumber);
    if (kind != CallerId::Kind::Number)
        return CallerId::kindName(kind);
    const int at = find(callerIdNumber);
    return at < 0 ? QString() : m_entries[at].name;
}

void CallerDirectory::index(int entry)
{
    const QString country = homeCountry();
    for (const QString &n : m_entries[entry].numbers) {
        const QString key = PhoneNumberKey::key(n, country);
        if (!key.isEmpty() && !m_byKey.contains(key))
            m_byKey.insert(key, entry);
    }
}

void CallerDirectory::rebuildIndex()
{
    m_byKey.clear();
    for (int i = 0; i < m_entries.size(); ++i)
        index(i);
}
