// The notification-area icon: hint "Calvora", the modem on/off icons, the recording
// animation and the tray menu.
#pragma once

#include <QIcon>
#include <QList>
#include <QObject>
#include <QTimer>

class QAction;
class QMenu;
class QSystemTrayIcon;
struct MainActions;

class TrayController final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrayController)

public:
    TrayController(MainActions &actions, QObject *parent);
    ~TrayController() override;

    // Whether the desktop has a notification area to minimise into.
    static bool available();

    void setModemIcon(bool modemOn);
    void startAnimation();
    void stopAnimation();
    bool animating() const { return m_animation.isActive(); }
    QIcon currentIcon() const;
    QMenu *menu() const { return m_menu; }
    // A warning balloon from the tray icon (where the desktop shows them); the last one given
    // is kept for whoever asks.
    void showWarning(const QString &title, const QString &text);
    QString lastWarning() const { return m_lastWarning; }
    QAction *showAction() const { return m_show; }
    QAction *exitAction() const { return m_exit; }

signals:
    void showRequested();
    void exitRequested();

private:
    void nextFrame();

    QSystemTrayIcon *m_icon;
    QMenu *m_menu;
    QAction *m_show;
    QAction *m_exit;
    QList<QIcon> m_modemIcons;
    QList<QIcon> m_frames;
    int m_frame = 0;
    QTimer m_animation;
    QString m_lastWarning;
};
