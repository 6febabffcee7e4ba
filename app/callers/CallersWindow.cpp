// Names and numbers come from the user's contacts: they are shown as plain text only.
#include "CallersWindow.h"

#include "CallerEntryDialog.h"
#include "callers/ContactsFile.h"
#include "callers/PhoneNumberKey.h"
#include "support/EventLog.h"
#include "support/MessageService.h"
#include "support/ui/ChooserService.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPushButton *commandButton(const QString &caption, const QString &name, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setAccessibleName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CallersWindow::CallersWindow(const QString &dataDir, ChooserService *choosers,
                             MessageService &messages, EventLog &log, QWidget *parent)
    : QDialog(parent), m_directory(dataDir), m_choosers(choosers), m_messages(messages), m_log(log)
{
    setObjectName(QStringLiteral("fmCallers"));
    setWindowTitle(QStringLiteral("Callers"));
    askEntry = [this](const QString &title, const CallerEntry &entry) {
        return CallerEntryDialog::ask(this, title, entry);
    };

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvCallers"));
    m_list->setAccessibleName(QStringLiteral("Callers"));
    m_list->setHeaderLabels(
        {QStringLiteral("Name"), QStringLiteral("Numbers"), QStringLiteral("Groups")});
    m_list->setRootIsDecorated(false);
    m_list->setSortingEnabled(true);
    m_list->sortByColumn(0, Qt::AscendingOrder);
    m_list->header()->resizeSection(0, 180);
    connect(m_list, &QTreeWidget::itemActivated, this, [this] { acEditExecute(); });
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { refreshCommands(); });

    m_add = commandButton(QStringLiteral("&Add..."), QStringLiteral("Add"), this);
    m_edit = commandButton(QStringLiteral("&Edit..."), QStringLiteral("Edit"), this);
    m_remove = commandButton(QStringLiteral("&Remove"), QStringLiteral("Remove"), this);
    m_import = commandButton(QStringLiteral("&Import contacts..."),
                             QStringLiteral("Import contacts"), this);
    connect(m_add, &QPushButton::clicked, this, &CallersWindow::acAddExecute);
    connect(m_edit, &QPushButton::clicked, this, &CallersWindow::acEditExecute);
    connect(m_remove, &QPushButton::clicked, this, &CallersWindow::acRemoveExecute);
    connect(m_import, &QPushButton::clicked, this, &CallersWindow::acImportExecute);

    m_homeCountry = new QLineEdit(this);
    m_homeCountry->setObjectName(QStringLiteral("edHomeCountry"));
    m_homeCountry->setAccessibleName(QStringLiteral("Home country"));
    m_homeCountry->setMaxLength(2);
    m_homeCountry->setToolTip(QStringLiteral(
        "The country of numbers written without a country code, as two letters (GB, US, DE). "
        "Empty: the system's."));
    connect(m_homeCountry, &QLineEdit::editingFinished, this, &CallersWindow::homeCountryEdited);

    auto *close = new QDialogButtonBox(QDialogButtonBox::Close, this);
    close->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("Close"));
    connect(close, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *commands = new QVBoxLayout;
    for (QPushButton *button : {m_add, m_edit, m_remove, m_import})
        commands->addWidget(button);
    commands->addStretch();
    auto *listAndCommands = new QHBoxLayout;
    listAndCommands->addWidget(m_list, 1);
    listAndCommands->addLayout(commands);
    auto *country = new QFormLayout;
    country->addRow(QStringLiteral("Home &country:"), m_homeCountry);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(listAndCommands, 1);
    layout->addLayout(country);
    layout->addWidget(close);
    resize(520, 360);
}

void CallersWindow::open()
{
    m_readable = m_directory.load();
    if (!m_readable)
        m_messages.showMessage(m_directory.error(), MessageService::Kind::Error);
    m_homeCountry->setText(m_directory.homeCountrySetting());
    m_homeCountry->setPlaceholderText(PhoneNumberKey::systemCountry());
    showEntries(-1);
    show();
    raise();
    activateWindow();
}

void CallersWindow::showEntries(int current)
{
    m_list->clear();
    const QList<CallerEntry> &entries = m_directory.entries();
    for (int i = 0; i < entries.size(); ++i) {
        auto *item = new QTreeWidgetItem(m_list, {entries[i].name,
                                                  entries[i].numbers.join(QStringLiteral(", ")),
                                                  entries[i].groups.join(QStringLiteral(", "))});
        item->setData(0, Qt::UserRole, i);
        if (i == current)
            m_list->setCurrentItem(item);
    }
    if (!m_list->currentItem() && m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    refreshCommands();
}

void CallersWindow::refreshCommands()
{
    const bool chosen = currentEntry() >= 0;
    m_add->setEnabled(m_readable);
    m_import->setEnabled(m_readable && m_choosers);
    m_homeCountry->setEnabled(m_readable);
    m_edit->setEnabled(m_readable && chosen);
    m_remove->setEnabled(m_readable && chosen);
}

int CallersWindow::currentEntry() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

bool CallersWindow::save(const QString &logLine)
{
    if (m_directory.save()) {
        m_log.appendLine(logLine);
        return true;
    }
    m_messages.showMessage(m_directory.error(), MessageService::Kind::Error);
    m_readable = m_directory.load();
    return false;
}

int CallersWindow::edit(int at, const QString &title, CallerEntry entry)
{
    for (;;) {
        const std::optional<CallerEntry> answer = askEntry(title, entry);
        if (!answer)
            return -1;
        entry = *answer;
        const QString refused = m_directory.setEntry(at, entry);
        if (refused.isEmpty())
            return at < 0 ? int(m_directory.entries().size()) - 1 : at;
        // What the user typed is offered again with the reason.
        m_messages.showMessage(refused, MessageService::Kind::Warning);
    }
}

void CallersWindow::acAddExecute()
{
    if (!m_readable)
        return;
    const int at = edit(-1, QStringLiteral("Add a caller"), {});
    if (at < 0)
        return;
    const QString name = m_directory.entries()[at].name;
    showEntries(save(QStringLiteral("Caller added: ") + name) ? at : -1);
}

void CallersWindow::acEditExecute()
{
    const int current = currentEntry();
    if (!m_readable || current < 0)
        return;
    const int at = edit(current, QStringLiteral("Edit a caller"), m_directory.entries()[current]);
    if (at < 0)
        return;
    const QString name = m_directory.entries()[at].name;
    showEntries(save(QStringLiteral("Caller changed: ") + name) ? at : -1);
}

void CallersWindow::acRemoveExecute()
{
    const int current = currentEntry();
    if (!m_readable || current < 0)
        return;
    const QString name = m_directory.entries()[current].name;
    if (!m_messages.confirm(QStringLiteral("Remove %1 from the callers?").arg(name)))
        return;
    m_directory.removeEntry(current);
    save(QStringLiteral("Caller removed: ") + name);
    showEntries(qMin(current, int(m_directory.entries().size()) - 1));
}

void CallersWindow::acImportExecute()
{
    if (!m_readable || !m_choosers)
        return;
    const std::optional<QString> path =
        m_choosers->chooseOpenFile(QStringLiteral("Import contacts"), QDir::homePath(),
                                   QStringLiteral("Contacts (*.vcf *.vcard);;All files (*)"));
    if (!path)
        return;
    const ContactsFile::Read read = ContactsFile::read(*path);
    if (!read.error.isEmpty()) {
        m_messages.showMessage(read.error, MessageService::Kind::Error);
        return;
    }
    const CallerDirectory::ImportCounts counts = m_directory.import(read.cards.contacts);
    const QString summary = ContactsFile::summary(counts, read.cards.skipped);
    if (save(QStringLiteral("Contacts imported from %1: %2").arg(*path, summary)))
        m_messages.showMessage(summary + QLatin1Char('.'));
    showEntries(currentEntry());
}

void CallersWindow::homeCountryEdited()
{
    const QString code = m_homeCountry->text().trimmed().toUpper();
    if (!m_readable || code == m_directory.homeCountrySetting())
        return;
    if (!m_directory.setHomeCountry(code)) {
        m_messages.showMessage(
            QStringLiteral("\"%1\" is not a country code. Enter two letters, such as GB, US or "
                           "DE, or leave it empty for the system's country.")
                .arg(code),
            MessageService::Kind::Warning);
        m_homeCountry->setText(m_directory.homeCountrySetting());
        return;
    }
    m_homeCountry->setText(code);
    save(code.isEmpty() ? QStringLiteral("Home country: the system's")
                        : QStringLiteral("Home country: ") + code);
}
