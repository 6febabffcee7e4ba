// The main window's creation, layout, placement and closing.
#include "TfmOrv.h"

#include "AppContext.h"
#include "AppIcons.h"
#include "ClosingSaves.h"
#include "ColorValue.h"
#include "FirstStartLayout.h"
#include "MainActions.h"
#include "TfmAbout.h"
#include "TraceView.h"
#include "TransportPanel.h"
#include "TrayController.h"
#include "UserGuide.h"
#include "catalogue/ui/FolderTreeView.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/ModemState.h"
#include "config/ProgramDir.h"
#include "config/WindowLayout.h"
#include "support/ui/ScreenFit.h"

#include <QAction>
#include <QAudioDevice>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMediaDevices>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

TfmOrv::TfmOrv(AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_ctx(context), m_actions(std::make_unique<MainActions>(this))
{
    setObjectName(QStringLiteral("fmOrv"));
    setWindowTitle(QStringLiteral("Calvora"));
    setWindowIcon(AppIcons::telephone());
    setMinimumSize(MinWidth, MinHeight);

    buildLayout();
    restorePlacement();
    m_tree->setFocus();

    if (loadWindowLayout(m_ctx.ini, {}).startUp) {
        ReallyExit = false;
        if (m_ctx.options.startedByStartup())
            setWindowState(windowState() | Qt::WindowMinimized);
    }

    connect(m_actions->acExit, &QAction::triggered, this, &TfmOrv::Exit1Click);
    connect(m_actions->Contents1, &QAction::triggered, this, &TfmOrv::Contents1Click);
    connect(m_actions->About1, &QAction::triggered, this, &TfmOrv::About1Click);
    connect(m_tray, &TrayController::showRequested, this, &TfmOrv::Show1Click);
    connect(m_tray, &TrayController::exitRequested, this, &TfmOrv::Exit1Click);

    auto *help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(help, &QShortcut::activated, this, &TfmOrv::Contents1Click);
    if (m_ctx.options.developerKeys()) {
        const std::pair<int, std::function<void()> *> keys[] = {{Qt::Key_2, &showLogger},
                                                                {Qt::Key_3, &showQueryWindow},
                                                                {Qt::Key_4, &queryCompressions},
                                                                {Qt::Key_7, &showNoModemNotice}};
        for (const auto &[key, hook] : keys) {
            auto *shortcut = new QShortcut(QKeySequence(Qt::ALT | key), this);
            // an init-capture, since older clang cannot capture a structured binding
            connect(shortcut, &QShortcut::activated, this, [hook = hook] {
                if (*hook)
                    (*hook)();
            });
        }
        auto *redirection = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_6), this);
        connect(redirection, &QShortcut::activated, this, [this] {
            Redirection = true;
            m_ctx.messages.showMessage(QStringLiteral("Redirection enabled"));
        });
    }

    m_timer1.setInterval(100);
    connect(&m_timer1, &QTimer::timeout, this, &TfmOrv::Timer1Timer);
    m_timer1.start();

    checkSoundCard();
}

TfmOrv::~TfmOrv() = default;

void TfmOrv::buildLayout()
{
    menuBar()->setNativeMenuBar(false);
    m_actions->buildMenus(menuBar());

    auto *tools = addToolBar(QStringLiteral("Tools"));
    tools->setObjectName(QStringLiteral("ToolBar1"));
    tools->setMovable(false);
    tools->addAction(m_actions->Contents1);
    tools->addAction(m_actions->acDeleteFiles);
    tools->addAction(m_actions->acSearch);
    tools->addAction(m_actions->acEmailFile);
    tools->addSeparator();
    tools->addActions(
        {m_actions->navFirst, m_actions->navPrior, m_actions->navNext, m_actions->navLast});

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_tracePanel = new QFrame(central);
    m_tracePanel->setObjectName(QStringLiteral("pnTrace"));
    m_tracePanel->setFixedHeight(60);
    m_tracePanel->setFrameShape(QFrame::StyledPanel);
    m_tracePanel->setAutoFillBackground(true);
    QPalette dark = m_tracePanel->palette();
    dark.setColor(QPalette::Window, Qt::black);
    m_tracePanel->setPalette(dark);
    m_trace = new TraceView(m_ctx.messages, m_tracePanel);
    auto *traceLayout = new QVBoxLayout(m_tracePanel);
    traceLayout->setContentsMargins(2, 2, 2, 2);
    traceLayout->addWidget(m_trace);
    layout->addWidget(m_tracePanel);

    m_transport = new TransportPanel(*m_actions, central);
    layout->addWidget(m_transport);

    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_tree = new FolderTreeView(m_splitter);
    m_list = new RecordingsListView(m_splitter);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({140, DesignWidth - 140});
    layout->addWidget(m_splitter, 1);
    setCentralWidget(central);

    // Tab goes from the tree to the list, its filter box and the transport controls.
    QList<QWidget *> tabOrder = {m_tree, m_list->grid(), m_list->filterBox()};
    tabOrder << m_transport->tabOrder();
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);

    const int widths[3] = {80, 80, 50};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setTextFormat(Qt::PlainText);
        m_panels[i]->setMinimumWidth(widths[i]);
        statusBar()->addWidget(m_panels[i], i == 2 ? 1 : 0);
    }
    m_panels[0]->setText(QStringLiteral(" Modem off"));

    m_tray = new TrayController(*m_actions, this);
}

void TfmOrv::restorePlacement()
{
    WindowLayout design;
    design.top = DesignTop;
    design.left = DesignLeft;
    design.width = DesignWidth;
    design.height = DesignHeight;
    const WindowLayout l = loadWindowLayout(m_ctx.ini, design);
    QRect wanted(l.left, l.top, std::max(l.width, MinWidth), std::max(l.height, MinHeight));

    // A placement saved on a screen that is gone, or on a larger one, would leave the window
    // (or its edges) out of reach: it is fitted to the screen it opens on.
    const QScreen *screen = QGuiApplication::screenAt(wanted.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        wanted = fittedInto(wanted, screen->availableGeometry());
    resize(wanted.size());
    move(wanted.topLeft());
}

void TfmOrv::applyWindowSettings()
{
    const QList<int> sizes = m_splitter->sizes();
    const WindowLayout stored = loadWindowLayout(m_ctx.ini, {});
    QFont font(stored.fontName);
    font.setPointSize(std::clamp(stored.fontSize, 4, 72));

    // What the ini file lacks is sized to show the texts whole in the list's font.
    const FirstStartWidths fitted =
        firstStartWidths(QFontMetrics(font), m_ctx.dateFormats, m_tree->indentation(),
                         m_tree->iconSize().isValid() ? m_tree->iconSize().width() : 16);
    WindowLayout defaults;
    defaults.splitter = std::max(sizes.value(0), fitted.tree);
    defaults.dateWidth = std::max(defaults.dateWidth, fitted.date);
    defaults.timeWidth = std::max(defaults.timeWidth, fitted.time);
    const WindowLayout l = loadWindowLayout(m_ctx.ini, defaults);
    m_transport->volumeBar()->setValue(l.volume);

    const QColor color = colorFromValue(l.fontColor, palette());
    for (QWidget *view : std::initializer_list<QWidget *>{m_list->grid(), m_tree}) {
        view->setFont(font);
        QPalette p = view->palette();
        p.setColor(QPalette::Text, color);
        view->setPalette(p);
    }
    emit listFontApplied(font, color);

    // Before the window is first shown the panes have no size yet; the window has.
    const int total = std::max(sizes.value(0) + sizes.value(1), width());
    m_splitter->setSizes({l.splitter, std::max(0, total - l.splitter)});

    m_list->setColumnWidths(l.dateWidth, l.timeWidth, l.durationWidth);
    m_list->setEndedWidth(l.endedWidth);
    m_list->setCallerWidth(l.callerWidth);
    m_list->setColumnWidth(RecordingsListView::ColComment, l.memoWidth);
    QList<RecordingsListView::Column> shown;
    for (const QString &name : l.columns.split(QLatin1Char(','), Qt::SkipEmptyParts))
        if (const int column = RecordingsListView::columnNamed(name.trimmed()); column >= 0)
            shown << RecordingsListView::Column(column);
    m_list->setShownColumns(shown.isEmpty() ? RecordingsListView::defaultColumns() : shown);
    m_list->sortBy(RecordingsListView::columnNamed(l.sortColumn),
                   l.sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

QString TfmOrv::statusText(int panel) const
{
    return m_panels[panel]->text();
}

void TfmOrv::setStatusText(int panel, const QString &text)
{
    m_panels[panel]->setText(text);
}

void TfmOrv::resetCommandStates()
{
    if (firstRecording)
        firstRecording();
    if (refreshCommands)
        refreshCommands();
}

void TfmOrv::setPortStatus(int port, const QString &model)
{
    setStatusText(1, QStringLiteral(" COM PORT %1").arg(port));
    setStatusText(2, QStringLiteral(" ") + model);
}

void TfmOrv::Exit1Click()
{
    ReallyExit = true;
    close();
}

void TfmOrv::WMQueryEndSession()
{
    ReallyExit = true;
    close();
}

void TfmOrv::Show1Click()
{
    bringToFront();
}

void TfmOrv::bringToFront()
{
    show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
}

void TfmOrv::Contents1Click()
{
    UserGuide::open(m_ctx.messages);
}

void TfmOrv::About1Click()
{
    TfmAbout about(m_ctx.programDir, m_ctx.messages, this);
    about.exec();
}

void TfmOrv::apEventsIdle()
{
    if (!m_ctx.FormsCreated)
        return;
    if (TreeChanged) {
        TreeChanged = false;
        if (SaveTreeToIni)
            SaveTreeToIni();
    }
}

void TfmOrv::Timer1Timer()
{
    if (m_transport->rewindHeld() && m_actions->acRewind->isEnabled())
        m_actions->acRewind->trigger();
    if (m_transport->forwardHeld() && m_actions->acFF->isEnabled())
        m_actions->acFF->trigger();
}

bool TfmOrv::FormCloseQuery()
{
    if (m_ctx.prefs.StartUp && !ReallyExit) {
        minimiseToTray();
        return false;
    }
    if (!isRecording || !isRecording())
        return true;
    if (!m_ctx.messages.confirm(QStringLiteral("Exit while recording?")))
        return false;
    if (stopRecording)
        stopRecording();
    return true;
}

void TfmOrv::FormClose()
{
    QFile::remove(ProgramDir::file(QStringLiteral("temp.wav")));
    QFile::remove(ProgramDir::file(QStringLiteral("tempFileWav.wav")));

    // A full disk must not cost the saves that can still succeed, nor keep the window open.
    ClosingSaves saves;
    if (SaveTreeToIni)
        saves.attempt(QStringLiteral("The folder tree"), SaveTreeToIni);

    const QRect placement = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    const QPoint corner = isMaximized() || isMinimized() ? placement.topLeft() : pos();
    WindowLayout layout;
    layout.top = corner.y();
    layout.left = corner.x();
    layout.width = placement.width();
    layout.height = placement.height();
    layout.volume = m_transport->volumeBar()->value();
    layout.splitter = m_splitter->sizes().value(0);
    layout.dateWidth = m_list->columnWidth(RecordingsListView::ColDate);
    layout.timeWidth = m_list->columnWidth(RecordingsListView::ColTime);
    layout.durationWidth = m_list->columnWidth(RecordingsListView::ColDuration);
    layout.endedWidth = m_list->columnWidth(RecordingsListView::ColEnded);
    layout.callerWidth = m_list->columnWidth(RecordingsListView::ColCaller);
    layout.memoWidth = m_list->columnWidth(RecordingsListView::ColComment);
    QStringList columns;
    for (RecordingsListView::Column column : m_list->shownColumns())
        columns << RecordingsListView::columnName(column);
    QStringList usual;
    for (RecordingsListView::Column column : RecordingsListView::defaultColumns())
        usual << RecordingsListView::columnName(column);
    if (columns != usual)
        layout.columns = columns.join(QLatin1Char(','));
    if (m_list->sortColumn() >= 0) {
        layout.sortColumn =
            RecordingsListView::columnName(RecordingsListView::Column(m_list->sortColumn()));
        layout.sortDescending = m_list->sortOrder() == Qt::DescendingOrder;
    }
    saves.attempt(QStringLiteral("The window layout"),
                  [&] { saveWindowLayout(m_ctx.ini, layout); });
    saves.attempt(QStringLiteral("The modem settings"),
                  [this] { ModemState::clearDistinctive(m_ctx.ini); });
    saves.attempt(ClosingSaves::EventLogItem, [this] { m_ctx.log.save(); });
    Closing = true;

    if (!saves.allSaved())
        m_ctx.messages.showMessage(saves.report(), MessageService::Kind::Error);
}

void TfmOrv::closeEvent(QCloseEvent *event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    m_timer1.stop();
    event->accept();
    emit closed();
}

void TfmOrv::minimiseToTray()
{
    if (TrayController::available())
        hide();
    else
        showMinimized();
}

void TfmOrv::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && TrayController::available())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void TfmOrv::checkSoundCard()
{
    const bool present =
        m_ctx.hasSoundOutput ? m_ctx.hasSoundOutput() : !QMediaDevices::audioOutputs().isEmpty();
    if (!present) {
        m_ctx.messages.showMessage(
            QStringLiteral("Your system has no sound card or\nyour sound card is not set up "
                           "properly.\nThis software requires a sound card to play WAV files"),
            MessageService::Kind::Warning);
    }
}
