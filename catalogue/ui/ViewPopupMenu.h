// A view's pop-up menu, opened by the mouse's right button at the pointer and by the
// keyboard's menu key or Shift+F10 at the view's current item, so that it is reached without
// a mouse too.
#pragma once

#include <QObject>

class QAbstractItemView;
class QMenu;

class ViewPopupMenu final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ViewPopupMenu)

public:
    // The menu is shown for the view; both must outlive this object, which the view owns.
    ViewPopupMenu(QAbstractItemView &view, QMenu &menu);

    // Opens the menu at the current item (or the view's top-left corner when it has none).
    void openAtCurrentItem();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView &m_view;
    QMenu &m_menu;
};
