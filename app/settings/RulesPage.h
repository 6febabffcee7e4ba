// The settings page "Rules": the ordered rules for calls (a match on the caller, and what to
// do with the call) with the controls to add, remove and reorder them and to edit the one
// selected, and the option that writes "Name (number)" as a known caller's memo.
#pragma once

#include "callers/CallerRule.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class RulesPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RulesPage)

public:
    struct Folder
    {
        QString code, name;
    };

    explicit RulesPage(QWidget *parent = nullptr);

    // problems: what could not be read of the rules file, shown above the list.
    void load(const QList<CallerRule> &rules, bool namedMemo, const QList<Folder> &folders,
              const QStringList &problems);
    QList<CallerRule> rules() const { return m_rules; }
    bool namedMemo() const;
    // Why the rules cannot be kept as they are ("Rule 2: number is needs a value"); empty
    // when they can. The row of the first such rule is selected.
    QString check();

    QTreeWidget *ruleList() const { return m_list; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *upButton() const { return m_up; }
    QPushButton *downButton() const { return m_down; }
    QComboBox *matchBox() const { return m_match; }
    QLineEdit *valueEdit() const { return m_value; }
    QComboBox *folderBox() const { return m_folder; }
    QLineEdit *memoEdit() const { return m_memo; }
    QCheckBox *neverRecordBox() const { return m_neverRecord; }
    QCheckBox *namedMemoBox() const { return m_namedMemo; }
    QLabel *problemsLabel() const { return m_problems; }

private:
    int current() const;
    void select(int row);
    void showList();
    void showRow(int row);
    void showEditor();
    void editorChanged();
    void updateControls();
    void addRule();
    void removeRule();
    void moveRule(int by);
    QString folderName(const QString &code) const;

    QList<CallerRule> m_rules;
    QList<Folder> m_folders;
    bool m_showing = false; // the editor is being filled: its signals change no rule

    QLabel *m_problems;
    QTreeWidget *m_list;
    QPushButton *m_add, *m_remove, *m_up, *m_down;
    QComboBox *m_match;
    QLineEdit *m_value;
    QComboBox *m_folder;
    QLineEdit *m_memo;
    QCheckBox *m_neverRecord;
    QCheckBox *m_namedMemo;
};
