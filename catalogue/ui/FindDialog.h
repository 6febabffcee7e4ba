// The modeless find dialog of "Search...": the text to find, Match case, the direction fixed
// to Down, and the Find Next button.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

class FindDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FindDialog)

public:
    explicit FindDialog(QWidget *parent = nullptr);

    QString findText() const;
    void setFindText(const QString &text);
    bool matchCase() const;

    QLineEdit *textEdit() const { return m_text; }
    QCheckBox *matchCaseBox() const { return m_matchCase; }
    QPushButton *findButton() const { return m_find; }

signals:
    void findNext(const QString &text, bool matchCase);
    void shown();
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QLineEdit *m_text = nullptr;
    QCheckBox *m_matchCase = nullptr;
    QPushButton *m_find = nullptr;
};
