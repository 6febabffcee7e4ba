// The rules file is UTF-8 text, one record a line, fields separated by tabs:
//   Calvora rules 1
//   NamedMemo<TAB>yes
//   Rule<TAB>match=number-starts-with<TAB>value=0800<TAB>folder=K3J2<TAB>memo={name}
//       <TAB>never-record=yes
// The rules apply in the order of their lines.
#include "CallerRulesFile.h"

#include "callers/LineFile.h"
#include "support/AtomicFile.h"

#include <QFile>
#include <cerrno>
#include <optional>

namespace {

const QByteArray Header = "Calvora rules 1";
const QString RuleKind = QStringLiteral("Rule");
const QString NamedMemoKind = QStringLiteral("NamedMemo");
const QString Yes = QStringLiteral("yes");

// A list of rules someone keeps by hand is a few kilobytes.
constexpr qint64 MaxFileSize = 4 * 1024 * 1024;

// Tabs and line ends would break the file's fields and lines.
QString field(const QString &text)
{
    return LineFile::field(text, CallerRule::MaxTextLength);
}

// A Rule line's fields after its kind; empty with why set when it is not a rule.
std::optional<CallerRule> readRule(const QStringList &fields, QString &why)
{
    CallerRule rule;
    bool matchGiven = false;
    for (const QString &f : fields) {
        const qsizetype eq = f.indexOf(QLatin1Char('='));
        const QString key = f.left(eq);
        const QString value = eq < 0 ? QString() : field(f.mid(eq + 1));
        if (key == QLatin1String("match")) {
            if (!CallerRule::matchFromKey(value, rule.match)) {
                why = QStringLiteral("unknown match '%1'").arg(value.left(40));
                return std::nullopt;
            }
            matchGiven = true;
        } else if (key == QLatin1String("value")) {
            rule.value = value;
        } else if (key == QLatin1String("folder")) {
            rule.folderId = value;
        } else if (key == QLatin1String("memo")) {
            rule.memoTemplate = value;
        } else if (key == QLatin1String("never-record") && (value == Yes || value == "no")) {
            rule.neverRecord = value == Yes;
        } else if (!f.trimmed().isEmpty()) {
            why = QStringLiteral("cannot read '%1'").arg(field(f).left(40));
            return std::nullopt;
        }
    }
    if (!matchGiven) {
        why = QStringLiteral("no match");
        return std::nullopt;
    }
    if (CallerRule::needsValue(rule.match) && rule.value.isEmpty()) {
        why = QStringLiteral("%1 needs a value").arg(CallerRule::matchText(rule.match));
        return std::nullopt;
    }
    return rule;
}

} // namespace

QString CallerRulesFile::fileName()
{
    return QStringLiteral("Rules.txt");
}

CallerRulesFile::CallerRulesFile(const QString &dataDir) : m_dataDir(dataDir) {}

QString CallerRulesFile::filePath() const
{
    return m_dataDir + QLatin1Char('/') + fileName();
}

bool CallerRulesFile::load()
{
    m_rules.clear();
    m_namedMemo = false;
    m_problems.clear();
    m_error.clear();
    m_damaged = false;
    m_unreadable = false;
    if (!QFile::exists(filePath()))
        return true;
    QList<QByteArray> lines;
    QString why;
    if (!LineFile::read(filePath(), MaxFileSize, QStringLiteral("a rules file"), lines, why)) {
        m_problems.append(filePath() + QStringLiteral(": ") + why);
        m_unreadable = true;
        return false;
    }
    auto problem = [&](qsizetype line, const QString &why) {
        m_problems.append(QStringLiteral("%1 line %2: %3").arg(filePath()).arg(line + 1).arg(why));
        m_damaged = true;
    };
    if (lines.value(0).trimmed() != Header) {
        // Nothing of it can be trusted as a rule; it is kept whole when rules are next saved.
        problem(0, QStringLiteral("not a rules file"));
        return true;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty())
            continue;
        const QStringList fields = line.split(QLatin1Char('\t'));
        if (fields[0] == RuleKind) {
            QString why;
            if (const std::optional<CallerRule> rule = readRule(fields.mid(1), why))
                m_rules.append(*rule);
            else
                problem(i, why);
        } else if (fields[0] == NamedMemoKind && fields.size() == 2) {
            m_namedMemo = fields[1] == Yes;
        } else {
            problem(i, QStringLiteral("cannot read '%1'").arg(field(line).left(40)));
        }
    }
    return true;
}

bool CallerRulesFile::keepDamagedFile()
{
    const QString base = filePath() + QStringLiteral(".damaged");
    QString aside = base;
    for (int n = 2; QFile::exists(aside); ++n)
        aside = base + QLatin1Char('-') + QString::number(n);
    if (!QFile::copy(filePath(), aside)) {
        m_error = QStringLiteral("Cannot keep the damaged rules file as ") + aside;
        return false;
    }
    m_damaged = false;
    return true;
}

bool CallerRulesFile::save()
{
    if (m_unreadable) {
        m_error = filePath() + QStringLiteral(": could not be read, so it is not replaced");
        return false;
    }
    if (m_damaged && QFile::exists(filePath()) && !keepDamagedFile())
        return false;
    QByteArray content = Header + '\n';
    if (m_namedMemo)
        content += (NamedMemoKind + QLatin1Char('\t') + Yes).toUtf8() + '\n';
    for (const CallerRule &r : m_rules) {
        QStringList fields{RuleKind, QStringLiteral("match=") + CallerRule::matchKey(r.match)};
        if (CallerRule::needsValue(r.match))
            fields.append(QStringLiteral("value=") + field(r.value));
        if (!field(r.folderId).isEmpty())
            fields.append(QStringLiteral("folder=") + field(r.folderId));
        if (!field(r.memoTemplate).isEmpty())
            fields.append(QStringLiteral("memo=") + field(r.memoTemplate));
        if (r.neverRecord)
            fields.append(QStringLiteral("never-record=yes"));
        content += fields.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    if (!AtomicFile::write(filePath(), content)) {
        m_error = FileSaveError(QStringLiteral("Cannot write ") + filePath(), errno).describe();
        return false;
    }
    m_error.clear();
    m_problems.clear();
    return true;
}
