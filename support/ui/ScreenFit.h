// Windows fitted to the screen they open on, so that no edge, and no dialog's buttons, end up
// out of reach on a small or scaled screen.
#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// The rectangle, made no larger than the area and moved inside it.
QRect fittedInto(QRect wanted, const QRect &area);

// Resizes and moves a window to fit the available area of its screen.
void fitToScreen(QWidget &window);

// Installed on the application: fits every dialog to its screen as it is shown.
class DialogScreenFit final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DialogScreenFit)

public:
    explicit DialogScreenFit(QObject *parent = nullptr) : QObject(parent) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
