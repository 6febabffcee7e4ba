// Navigator buttons bound to a dataset.
#include "RecordNavigator.h"

#include "RecordingsListView.h"
#include "catalogue/store/TStoreDataset.h"

#include <QAction>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>
#include <array>

namespace {

const char *const Hints[] = {"First file", "Prior file", "Next file", "Last file"};
const QStyle::StandardPixmap Icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_MediaSeekBackward,
                                        QStyle::SP_MediaSeekForward, QStyle::SP_MediaSkipForward};

void moveRecord(TStoreDataset &dataset, int button)
{
    if (!dataset.Active())
        return;
    switch (button) {
    case 0:
        dataset.First();
        break;
    case 1:
        dataset.Prior();
        break;
    case 2:
        dataset.Next();
        break;
    default:
        dataset.Last();
        break;
    }
}

// Whether the button can move: back while not on the first record, on while not on the last.
bool canMove(const TStoreDataset *dataset, int button)
{
    if (!dataset || !dataset->Active() || dataset->RecordCount() == 0)
        return false;
    return button < 2 ? dataset->RecNo() > 1 : dataset->RecNo() < dataset->RecordCount();
}

} // namespace

RecordNavigator::RecordNavigator(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    static const char *const Names[] = {"navFirst", "navPrior", "navNext", "navLast"};
    for (int i = 0; i < 4; ++i) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(Names[i]));
        button->setToolTip(QLatin1String(Hints[i]));
        button->setIcon(style()->standardIcon(Icons[i]));
        button->setAutoRaise(true);
        connect(button, &QToolButton::clicked, this, [this, i] {
            if (m_dataset)
                moveRecord(*m_dataset, i);
        });
        layout->addWidget(button);
        m_buttons[i] = button;
    }
    updateButtons();
}

void RecordNavigator::setDataset(TStoreDataset *dataset)
{
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    if (dataset) {
        m_connections = {
            connect(dataset, &TStoreDataset::dataSetChanged, this, &RecordNavigator::updateButtons),
            connect(dataset, &TStoreDataset::currentChanged, this, &RecordNavigator::updateButtons),
        };
    }
    updateButtons();
}

void RecordNavigator::updateButtons()
{
    for (int i = 0; i < 4; ++i)
        m_buttons[i]->setEnabled(canMove(m_dataset.data(), i));
}

void RecordNavigator::bindActions(TStoreDataset &dataset, QAction *first, QAction *prior,
                                  QAction *next, QAction *last)
{
    QAction *const actions[] = {first, prior, next, last};
    QPointer<TStoreDataset> guard(&dataset);
    auto update = [guard, actions = std::array<QPointer<QAction>, 4>{first, prior, next, last}] {
        for (int i = 0; i < 4; ++i)
            if (actions[std::size_t(i)])
                actions[std::size_t(i)]->setEnabled(canMove(guard.data(), i));
    };
    for (int i = 0; i < 4; ++i) {
        QAction *action = actions[i];
        if (!action)
            continue;
        action->setToolTip(QLatin1String(Hints[i]));
        QObject::connect(action, &QAction::triggered, &dataset, [guard, i] {
            if (guard)
                moveRecord(*guard, i);
        });
    }
    QObject::connect(&dataset, &TStoreDataset::dataSetChanged, &dataset, update);
    QObject::connect(&dataset, &TStoreDataset::currentChanged, &dataset, update);
    update();
}

void RecordNavigator::bindActions(RecordingsListView &list, QAction *first, QAction *prior,
                                  QAction *next, QAction *last)
{
    using Move = RecordingsListView::Move;
    const std::pair<QAction *, Move> actions[] = {
        {first, Move::First}, {prior, Move::Prior}, {next, Move::Next}, {last, Move::Last}};
    for (int i = 0; i < 4; ++i) {
        const auto [action, move] = actions[i];
        if (!action)
            continue;
        action->setToolTip(QLatin1String(Hints[i]));
        QObject::connect(action, &QAction::triggered, &list,
                         [&list, move = move] { list.moveCurrent(move); });
        const auto update = [&list, action = QPointer<QAction>(action), move = move] {
            if (action)
                action->setEnabled(list.canMove(move));
        };
        QObject::connect(&list, &RecordingsListView::positionChanged, action, update);
        update();
    }
}
