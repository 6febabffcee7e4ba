// The settings page "Media player": playing recordings with an external program.
#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;
struct Preferences;

class MediaPlayerPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaPlayerPage)

public:
    explicit MediaPlayerPage(QWidget *parent = nullptr);

    void load(const Preferences &prefs);
    void store(Preferences &prefs) const;
    void setPlayerPath(const QString &path);

    QCheckBox *externalPlayerBox() const { return m_external; }
    QLineEdit *playerEdit() const { return m_path; }
    QPushButton *browseButton() const { return m_browse; }

signals:
    void browseClicked();

private:
    // The path and "Browse" only with the external player.
    void updateEnabled();

    QCheckBox *m_external;
    QLineEdit *m_path;
    QPushButton *m_browse;
};
