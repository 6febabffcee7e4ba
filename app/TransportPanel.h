// The transport panel: the position bar across the top, the speed buttons Play, Pause,
// Stop, Rewind, Fast forward and Record, the volume icon and the volume bar.
#pragma once

#include <QWidget>

class QSlider;
class QToolButton;
struct MainActions;

class TransportPanel final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TransportPanel)

public:
    TransportPanel(MainActions &actions, QWidget *parent);

    QSlider *positionBar() const { return m_position; } // TrackBar1, 0..1000
    QSlider *volumeBar() const { return m_volume; }     // TrackBar2, 0..16

    // The panel's controls in the order Tab visits them: position, the speed buttons, volume.
    const QList<QWidget *> &tabOrder() const { return m_tabOrder; }

    // The left mouse button is held down on Rewind or Fast forward.
    bool rewindHeld() const { return m_rewindHeld; }
    bool forwardHeld() const { return m_forwardHeld; }

private:
    QToolButton *speedButton(QAction *action);

    QSlider *m_position;
    QSlider *m_volume;
    QList<QWidget *> m_tabOrder;
    bool m_rewindHeld = false;
    bool m_forwardHeld = false;
};
