// Tray icon and menu. The menu's Play, Stop, Record and modem items are the main window's
// own actions, so they are enabled and disabled together with the menus.
#include "TrayController.h"

#include "AppIcons.h"
#include "MainActions.h"

#include <QMenu>
#include <QSystemTrayIcon>

TrayController::TrayController(MainActions &actions, QObject *parent)
    : QObject(parent), m_icon(new QSystemTrayIcon(this)), m_menu(new QMenu),
      m_modemIcons(AppIcons::modemList()), m_frames(AppIcons::recordingFrames())
{
    m_show = m_menu->addAction(QStringLiteral("Show"));
    m_menu->addSeparator();
    m_menu->addAction(actions.acPlay);
    m_menu->addAction(actions.acStop);
    m_menu->addAction(actions.acRecord);
    m_menu->addSeparator();
    m_menu->addAction(actions.acModemOn);
    m_menu->addAction(actions.acModemOff);
    m_menu->addSeparator();
    m_exit = m_menu->addAction(QStringLiteral("Exit"));
    connect(m_show, &QAction::triggered, this, &TrayController::showRequested);
    connect(m_exit, &QAction::triggered, this, &TrayController::exitRequested);

    m_icon->setToolTip(QStringLiteral("Calvora"));
    m_icon->setContextMenu(m_menu);
    // At start-up the icon shows the first frame of the recording animation, not cycling.
    m_icon->setIcon(m_frames.value(0));
    connect(m_icon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger)
            emit showRequested();
    });
    if (available())
        m_icon->show();

    m_animation.setInterval(500);
    connect(&m_animation, &QTimer::timeout, this, &TrayController::nextFrame);
}

TrayController::~TrayController()
{
    delete m_menu;
}

bool TrayController::available()
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TrayController::setModemIcon(bool modemOn)
{
    m_icon->setIcon(m_modemIcons.value(modemOn ? 0 : 1));
}

void TrayController::startAnimation()
{
    m_frame = 0;
    m_icon->setIcon(m_frames.value(0));
    m_animation.start();
}

void TrayController::stopAnimation()
{
    m_animation.stop();
}

QIcon TrayController::currentIcon() const
{
    return m_icon->icon();
}

void TrayController::nextFrame()
{
    m_frame = (m_frame + 1) % static_cast<int>(m_frames.size());
    m_icon->setIcon(m_frames.value(m_frame));
}

void TrayController::showWarning(const QString &title, const QString &text)
{
    m_lastWarning = text;
    if (QSystemTrayIcon::isSystemTrayAvailable() && QSystemTrayIcon::supportsMessages())
        m_icon->showMessage(title, text, QSystemTrayIcon::Warning);
}
