// The pop-up menu's mouse and keyboard triggers.
#include "ViewPopupMenu.h"

#include <QAbstractItemView>
#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>

ViewPopupMenu::ViewPopupMenu(QAbstractItemView &view, QMenu &menu)
    : QObject(&view), m_view(view), m_menu(menu)
{
    // The events reach the view (keyboard) and its viewport (mouse); both are handled here.
    m_view.setContextMenuPolicy(Qt::DefaultContextMenu);
    m_view.installEventFilter(this);
    m_view.viewport()->installEventFilter(this);

    // Shift+F10 is the desktop's other key for a pop-up menu; Qt leaves it to the program.
    auto *shiftF10 = new QAction(this);
    shiftF10->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    shiftF10->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_view.addAction(shiftF10);
    connect(shiftF10, &QAction::triggered, this, &ViewPopupMenu::openAtCurrentItem);
}

void ViewPopupMenu::openAtCurrentItem()
{
    QRect at = m_view.visualRect(m_view.currentIndex());
    at = at.isValid() ? at.intersected(m_view.viewport()->rect()) : QRect();
    const QPoint corner = at.isValid() ? at.bottomLeft() + QPoint(at.width() / 4, 0) : QPoint();
    m_menu.popup(m_view.viewport()->mapToGlobal(corner));
}

bool ViewPopupMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ContextMenu ||
        (watched != &m_view && watched != m_view.viewport()))
        return false;
    auto *request = static_cast<QContextMenuEvent *>(event);
    if (request->reason() == QContextMenuEvent::Mouse)
        m_menu.popup(request->globalPos());
    else
        openAtCurrentItem();
    return true;
}
