// The record navigator: First, Prior, Next and Last buttons that move a dataset's current
// record, each enabled only when it can move.
#pragma once

#include <QPointer>
#include <QWidget>

class QAction;
class QToolButton;
class RecordingsListView;
#include "catalogue/store/TStoreDataset.h"

class RecordNavigator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordNavigator)

public:
    explicit RecordNavigator(QWidget *parent = nullptr);

    void setDataset(TStoreDataset *dataset);

    QToolButton *firstButton() const { return m_buttons[0]; }
    QToolButton *priorButton() const { return m_buttons[1]; }
    QToolButton *nextButton() const { return m_buttons[2]; }
    QToolButton *lastButton() const { return m_buttons[3]; }

    // Binds existing actions (a tool bar's navigator) to a dataset the same way: triggering
    // moves the record, and their enabled state follows the position. Hints are set to
    // "First file", "Prior file", "Next file", "Last file".
    static void bindActions(TStoreDataset &dataset, QAction *first, QAction *prior, QAction *next,
                            QAction *last);
    // The same for a recordings list: the actions move through its rows in the order shown.
    static void bindActions(RecordingsListView &list, QAction *first, QAction *prior, QAction *next,
                            QAction *last);

private:
    void updateButtons();

    QPointer<TStoreDataset> m_dataset;
    QList<QMetaObject::Connection> m_connections;
    QToolButton *m_buttons[4] = {};
};
