// Fitting windows to their screen.
#include "ScreenFit.h"

#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

QRect fittedInto(QRect wanted, const QRect &area)
{
    if (area.isEmpty())
        return wanted;
    wanted.setSize(wanted.size().boundedTo(area.size()));
    wanted.moveLeft(std::clamp(wanted.left(), area.left(), area.right() + 1 - wanted.width()));
    wanted.moveTop(std::clamp(wanted.top(), area.top(), area.bottom() + 1 - wanted.height()));
    return wanted;
}

void fitToScreen(QWidget &window)
{
    const QScreen *screen = QGuiApplication::screenAt(window.geometry().center());
    if (!screen)
        screen = window.screen();
    if (!screen)
        return;
    // The frame a window manager adds stays on the screen too.
    const QRect frame = window.frameGeometry();
    const QRect inner = window.geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(),
                           frame.right() - inner.right(), frame.bottom() - inner.bottom());
    const QRect area = screen->availableGeometry().marginsRemoved(margins);
    const QRect fitted = fittedInto(inner, area);
    if (fitted.size() != inner.size())
        window.resize(fitted.size());
    if (fitted.topLeft() != inner.topLeft())
        window.move(fitted.topLeft() - QPoint(margins.left(), margins.top()));
}

bool DialogScreenFit::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show)
        if (auto *dialog = qobject_cast<QDialog *>(watched); dialog && dialog->isWindow())
            fitToScreen(*dialog);
    return false;
}
