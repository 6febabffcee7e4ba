// The rules page edits a copy of the rules; the dialog's OK keeps them. What is enabled
// follows from the selection alone, set in one place.
#include "RulesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum ListColumn
{
    ColMatch,
    ColActions
};

QString matchCell(const CallerRule &rule)
{
    QString text = CallerRule::matchText(rule.match);
    if (CallerRule::needsValue(rule.match))
        text += QLatin1Char(' ') + rule.value;
    return text;
}

} // namespace

RulesPage::RulesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsRules"));
    m_problems = new QLabel(this);
    m_problems->setObjectName(QStringLiteral("lbRulesProblems"));
    m_problems->setTextFormat(Qt::PlainText);
    m_problems->setWordWrap(true);
    m_problems->setAccessibleName(QStringLiteral("Problems of the rules file"));
    m_problems->hide();

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("tvRules"));
    m_list->setAccessibleName(QStringLiteral("Rules"));
    m_list->setAccessibleDescription(QStringLiteral("The first rule that matches a call applies"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Caller"), QStringLiteral("What happens")});
    m_list->setRootIsDecorated(false);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->header()->setSectionResizeMode(ColActions, QHeaderView::Stretch);
    m_list->setColumnWidth(ColMatch, 220);

    auto button = [this](const QString &caption, const QString &name, const QString &object) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(object);
        b->setAccessibleName(name);
        return b;
    };
    m_add = button(QStringLiteral("&Add"), QStringLiteral("Add"), QStringLiteral("btnAddRule"));
    m_remove = button(QStringLiteral("&Remove"), QStringLiteral("Remove"),
                      QStringLiteral("btnRemoveRule"));
    m_up =
        button(QStringLiteral("Move &up"), QStringLiteral("Move up"), QStringLiteral("btnRuleUp"));
    m_down = button(QStringLiteral("Move &down"), QStringLiteral("Move down"),
                    QStringLiteral("btnRuleDown"));

    auto *editor = new QGroupBox(QStringLiteral(" Selected rule "), this);
    m_match = new QComboBox(editor);
    m_match->setObjectName(QStringLiteral("cbRuleMatch"));
    m_match->setAccessibleName(QStringLiteral("Caller"));
    for (const CallerRule::Match match : CallerRule::allMatches())
        m_match->addItem(CallerRule::matchText(match), int(match));
    m_value = new QLineEdit(editor);
    m_value->setObjectName(QStringLiteral("edRuleValue"));
    m_value->setAccessibleName(QStringLiteral("Number, entry or group"));
    m_value->setMaxLength(int(CallerRule::MaxTextLength));
    m_folder = new QComboBox(editor);
    m_folder->setObjectName(QStringLiteral("cbRuleFolder"));
    m_folder->setAccessibleName(QStringLiteral("File in folder"));
    m_memo = new QLineEdit(editor);
    m_memo->setObjectName(QStringLiteral("edRuleMemo"));
    m_memo->setAccessibleName(QStringLiteral("Memo"));
    m_memo->setPlaceholderText(QStringLiteral("as usual; {name}, {number} and {date} fill in"));
    m_memo->setMaxLength(int(CallerRule::MaxTextLength));
    m_neverRecord = new QCheckBox(QStringLiteral("&Never record this caller"), editor);
    m_neverRecord->setObjectName(QStringLiteral("cbNeverRecord"));
    m_neverRecord->setAccessibleName(QStringLiteral("Never record this caller"));

    auto *form = new QFormLayout(editor);
    auto row = [&](const QString &caption, QWidget *field) {
        auto *label = new QLabel(caption, editor);
        label->setBuddy(field);
        form->addRow(label, field);
    };
    row(QStringLiteral("&Caller"), m_match);
    row(QStringLiteral("Num&ber, entry or group"), m_value);
    row(QStringLiteral("&File in folder"), m_folder);
    row(QStringLiteral("&Memo"), m_memo);
    form->addRow(m_neverRecord);

    m_namedMemo =
        new QCheckBox(QStringLiteral("Write a known caller's memo as \"Name (number)\""), this);
    m_namedMemo->setObjectName(QStringLiteral("cbNamedMemo"));
    m_namedMemo->setAccessibleName(QStringLiteral("Write a known caller's memo as Name (number)"));

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {m_add, m_remove, m_up, m_down})
        buttons->addWidget(b);
    buttons->addStretch(1);
    auto *listRow = new QHBoxLayout;
    listRow->addWidget(m_list, 1);
    listRow->addLayout(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_problems);
    layout->addLayout(listRow, 1);
    layout->addWidget(editor);
    layout->addWidget(m_namedMemo);

    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        showEditor();
        updateControls();
    });
    connect(m_add, &QPushButton::clicked, this, &RulesPage::addRule);
    connect(m_remove, &QPushButton::clicked, this, &RulesPage::removeRule);
    connect(m_up, &QPushButton::clicked, this, [this] { moveRule(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveRule(1); });
    connect(m_match, &QComboBox::currentIndexChanged, this, &RulesPage::editorChanged);
    connect(m_value, &QLineEdit::textEdited, this, &RulesPage::editorChanged);
    connect(m_folder, &QComboBox::currentIndexChanged, this, &RulesPage::editorChanged);
    connect(m_memo, &QLineEdit::textEdited, this, &RulesPage::editorChanged);
    connect(m_neverRecord, &QCheckBox::toggled, this, &RulesPage::editorChanged);
    updateControls();
}

void RulesPage::load(const QList<CallerRule> &rules, bool namedMemo, const QList<Folder> &folders,
                     const QStringList &problems)
{
    m_rules = rules;
    m_folders = folders;
    m_namedMemo->setChecked(namedMemo);
    m_problems->setText(QStringLiteral("Some lines of the rules file could not be read; the "
                                       "rules below apply. Saving the rules keeps the file as "
                                       "it was beside them.\n") +
                        problems.join(QLatin1Char('\n')));
    m_problems->setVisible(!problems.isEmpty());
    showList();
    select(m_rules.isEmpty() ? -1 : 0);
}

bool RulesPage::namedMemo() const
{
    return m_namedMemo->isChecked();
}

QString RulesPage::check()
{
    for (int i = 0; i < m_rules.size(); ++i) {
        const CallerRule &r = m_rules[i];
        if (CallerRule::needsValue(r.match) && r.value.trimmed().isEmpty()) {
            select(i);
            return QStringLiteral("Rule %1: \"%2\" needs a number, an entry's name or a group.")
                .arg(i + 1)
                .arg(CallerRule::matchText(r.match));
        }
    }
    return QString();
}

int RulesPage::current() const
{
    // While the list is refilled its rows and the rules may differ for a moment.
    const int row = m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem()) : -1;
    return row < m_rules.size() ? row : -1;
}

void RulesPage::select(int row)
{
    m_list->setCurrentItem(row >= 0 ? m_list->topLevelItem(row) : nullptr);
    showEditor();
    updateControls();
}

QString RulesPage::folderName(const QString &code) const
{
    for (const Folder &f : m_folders)
        if (f.code == code)
            return f.name;
    return QString();
}

void RulesPage::showList()
{
    m_list->clear();
    for (int i = 0; i < m_rules.size(); ++i) {
        m_list->addTopLevelItem(new QTreeWidgetItem);
        showRow(i);
    }
}

void RulesPage::showRow(int row)
{
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    const CallerRule &rule = m_rules[row];
    item->setText(ColMatch, matchCell(rule));
    const QString described = CallerRules::describe(rule, folderName(rule.folderId));
    item->setText(ColActions, described.mid(described.indexOf(QStringLiteral(": ")) + 2));
}

// The editor shows the selected rule; a folder the catalogue no longer has is kept as it is.
void RulesPage::showEditor()
{
    m_showing = true;
    const int row = current();
    const CallerRule rule = row >= 0 ? m_rules[row] : CallerRule();
    m_match->setCurrentIndex(m_match->findData(int(rule.match)));
    m_value->setText(rule.value);
    m_folder->clear();
    m_folder->addItem(QStringLiteral("(the folder shown)"), QString());
    for (const Folder &f : std::as_const(m_folders))
        m_folder->addItem(f.name, f.code);
    if (!rule.folderId.isEmpty() && m_folder->findData(rule.folderId) < 0)
        m_folder->addItem(QStringLiteral("(a folder no longer there: %1)").arg(rule.folderId),
                          rule.folderId);
    m_folder->setCurrentIndex(std::max(0, m_folder->findData(rule.folderId)));
    m_memo->setText(rule.memoTemplate);
    m_neverRecord->setChecked(rule.neverRecord);
    m_showing = false;
}

void RulesPage::editorChanged()
{
    const int row = current();
    if (m_showing || row < 0)
        return;
    CallerRule &rule = m_rules[row];
    rule.match = CallerRule::Match(m_match->currentData().toInt());
    rule.value = m_value->text().trimmed();
    rule.folderId = m_folder->currentData().toString();
    rule.memoTemplate = m_memo->text().trimmed();
    rule.neverRecord = m_neverRecord->isChecked();
    showRow(row);
    updateControls();
}

void RulesPage::updateControls()
{
    const int row = current();
    const bool selected = row >= 0;
    const bool neverRecord = selected && m_rules[row].neverRecord;
    m_remove->setEnabled(selected);
    m_up->setEnabled(selected && row > 0);
    m_down->setEnabled(selected && row < m_rules.size() - 1);
    m_match->setEnabled(selected);
    m_value->setEnabled(selected && CallerRule::needsValue(m_rules[row].match));
    m_neverRecord->setEnabled(selected);
    // A call never recorded has no recording to file or to write a memo for.
    m_folder->setEnabled(selected && !neverRecord);
    m_memo->setEnabled(selected && !neverRecord);
}

void RulesPage::addRule()
{
    const int at = current() + 1;
    CallerRule rule;
    rule.match = CallerRule::Match::NumberIs;
    m_rules.insert(at, rule);
    m_list->insertTopLevelItem(at, new QTreeWidgetItem);
    showRow(at);
    select(at);
    m_value->setFocus();
}

void RulesPage::removeRule()
{
    const int row = current();
    if (row < 0)
        return;
    m_rules.removeAt(row);
    delete m_list->takeTopLevelItem(row);
    select(std::min(row, int(m_rules.size()) - 1));
}

void RulesPage::moveRule(int by)
{
    const int row = current();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_rules.size())
        return;
    m_rules.swapItemsAt(row, to);
    showRow(row);
    showRow(to);
    select(to);
}
