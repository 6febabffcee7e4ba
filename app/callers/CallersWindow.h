// The "Callers" window: the caller directory's entries, added, edited and removed by hand,
// contacts imported from a vCard file, and the country of numbers written without one. Every
// change is saved at once, so that the next call is named by it (also in a recorder that
// reads the same data directory).
#pragma once

#include "callers/CallerDirectory.h"

#include <QDialog>
#include <functional>
#include <optional>

class ChooserService;
class EventLog;
class MessageService;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class CallersWindow final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CallersWindow)

public:
    // Everything given must outlive the window.
    // Without choosers (no desktop dialogs) contacts cannot be imported.
    CallersWindow(const QString &dataDir, ChooserService *choosers, MessageService &messages,
                  EventLog &log, QWidget *parent = nullptr);

    // Reads the directory's file again and shows it; shown, the window is brought forward.
    void open();

    void acAddExecute();
    void acEditExecute();
    void acRemoveExecute();
    void acImportExecute();
    void homeCountryEdited();

    // Asks for a caller's name and numbers (title, what to start from); no value when
    // cancelled. The entry dialog unless a test answers.
    std::function<std::optional<CallerEntry>(const QString &, const CallerEntry &)> askEntry;

    QTreeWidget *list() const { return m_list; }
    QLineEdit *homeCountryEdit() const { return m_homeCountry; }

private:
    void showEntries(int current);
    void refreshCommands();
    // Saves, or says why not and reads the file again, so that the window shows what is kept.
    bool save(const QString &logLine);
    // Asks until the entry is accepted or the user cancels; the index it got, else -1.
    int edit(int at, const QString &title, CallerEntry entry);
    int currentEntry() const;

    CallerDirectory m_directory;
    ChooserService *m_choosers;
    MessageService &m_messages;
    EventLog &m_log;
    bool m_readable = true;
    QTreeWidget *m_list;
    QLineEdit *m_homeCountry;
    QPushButton *m_add, *m_edit, *m_remove, *m_import;
};
