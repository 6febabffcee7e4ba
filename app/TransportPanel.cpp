// Transport panel layout. The buttons run the main window's actions, so a button and its
// menu item are always enabled, checked and triggered together.
#include "TransportPanel.h"

#include "CommandButton.h"
#include "MainActions.h"

#include <QAction>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

TransportPanel::TransportPanel(MainActions &actions, QWidget *parent)
    : QWidget(parent), m_position(new QSlider(Qt::Horizontal, this)),
      m_volume(new QSlider(Qt::Horizontal, this))
{
    m_position->setObjectName(QStringLiteral("TrackBar1"));
    m_position->setRange(0, 1000);
    m_position->setEnabled(false);
    m_position->setAccessibleName(QStringLiteral("Position"));
    m_position->setToolTip(QStringLiteral("Position"));

    m_volume->setObjectName(QStringLiteral("TrackBar2"));
    m_volume->setRange(0, 16);
    m_volume->setTickInterval(2);
    m_volume->setTickPosition(QSlider::TicksBelow);
    m_volume->setValue(8);
    m_volume->setToolTip(QStringLiteral("Volume"));
    m_volume->setMaximumWidth(120);
    m_volume->setAccessibleName(QStringLiteral("Volume"));
    // A click on the volume leaves the keyboard focus where it was; Tab still reaches it.
    m_volume->setFocusPolicy(Qt::TabFocus);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    QToolButton *rewind = nullptr, *forward = nullptr;
    m_tabOrder << m_position;
    for (QAction *action : {actions.acPlay, actions.acPause, actions.acStop, actions.acRewind,
                            actions.acFF, actions.acRecord}) {
        QToolButton *button = speedButton(action);
        buttons->addWidget(button);
        m_tabOrder << button;
        if (action == actions.acRewind)
            rewind = button;
        else if (action == actions.acFF)
            forward = button;
    }
    m_tabOrder << m_volume;
    buttons->addStretch(1);
    auto *volumeIcon = new QLabel(this);
    volumeIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_MediaVolume).pixmap(16));
    buttons->addWidget(volumeIcon);
    buttons->addWidget(m_volume);

    // Rewind and Fast forward repeat while held; the main window's 100 ms timer reads this.
    connect(rewind, &QToolButton::pressed, this, [this] { m_rewindHeld = true; });
    connect(rewind, &QToolButton::released, this, [this] { m_rewindHeld = false; });
    connect(forward, &QToolButton::pressed, this, [this] { m_forwardHeld = true; });
    connect(forward, &QToolButton::released, this, [this] { m_forwardHeld = false; });

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addWidget(m_position);
    layout->addLayout(buttons);
}

QToolButton *TransportPanel::speedButton(QAction *action)
{
    auto *button = new CommandButton(action, this);
    button->setAutoRaise(true);
    button->setIconSize(QSize(20, 20));
    return button;
}
