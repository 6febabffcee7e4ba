// The settings page "General": the recordings' compression, the font of the list and tree,
// starting with the desktop session and caller ID.
#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
struct Preferences;

class GeneralPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GeneralPage)

public:
    explicit GeneralPage(QWidget *parent = nullptr);

    // callerIdAvailable: the modem reports caller ID; without it the box is off and disabled.
    void load(const Preferences &prefs, bool callerIdAvailable);
    void store(Preferences &prefs) const;
    void setFileFormatText(const QString &description);
    void setFontName(const QString &name);

    QLabel *fileFormatLabel() const { return m_fileFormat; }
    QLabel *fontLabel() const { return m_font; }
    QPushButton *selectFileFormatButton() const { return m_selectFileFormat; }
    QPushButton *selectFontButton() const { return m_selectFont; }
    QPushButton *selectFontColorButton() const { return m_selectFontColor; }
    QCheckBox *startUpBox() const { return m_startUp; }
    QCheckBox *callerIdBox() const { return m_callerId; }
    QCheckBox *notificationsBox() const { return m_notifications; }

signals:
    void selectFileFormatClicked();
    void selectFontClicked();
    void selectFontColorClicked();

private:
    QLabel *m_fileFormat;
    QLabel *m_font;
    QPushButton *m_selectFileFormat;
    QPushButton *m_selectFont;
    QPushButton *m_selectFontColor;
    QCheckBox *m_startUp;
    QCheckBox *m_callerId;
    QCheckBox *m_notifications;
};
