// Menu captions keep their surrounding spaces, which give the menu bar its spacing.
#include "MainActions.h"

#include "AppIcons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenuBar>
#include <QStyle>

namespace {
QAction *make(QObject *owner, const char *name, const QString &text,
              const QKeySequence &shortcut = {}, const QIcon &icon = {})
{
    auto *action = new QAction(icon, text, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    return action;
}

QIcon standard(QStyle::StandardPixmap pixmap)
{
    return QApplication::style()->standardIcon(pixmap);
}
} // namespace

MainActions::MainActions(QObject *owner)
{
    acMemo =
        make(owner, "acMemo", QStringLiteral("Memo..."), QKeySequence(QStringLiteral("Ctrl+M")));
    acDeleteFiles = make(owner, "acDeleteFiles", QStringLiteral("Delete..."),
                         QKeySequence(QStringLiteral("Ctrl+D")), standard(QStyle::SP_TrashIcon));
    acDeleteFiles->setToolTip(QStringLiteral("Delete files"));
    acMoveTo = make(owner, "acMoveTo", QStringLiteral("Move to..."));
    acCopyToFolder = make(owner, "acCopyToFolder", QStringLiteral("Copy to folder..."));
    acEmailFile =
        make(owner, "acEmailFile", QStringLiteral("Email wav file to..."), {}, AppIcons::email());
    acEmailFile->setToolTip(QStringLiteral("Email to..."));
    acSearch = make(owner, "acSearch", QStringLiteral("Search..."),
                    QKeySequence(QStringLiteral("Ctrl+F")), AppIcons::search());
    acSearch->setToolTip(QStringLiteral("Search"));
    acExit = make(owner, "Exit1", QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+X")));
    acKeep = make(owner, "acKeep", QStringLiteral("Keep"), QKeySequence(QStringLiteral("Ctrl+K")));
    acKeep->setCheckable(true);
    acKeep->setToolTip(QStringLiteral("Keep: no clean-up rule removes the recording"));
    acPreviewCleanup = make(owner, "acPreviewCleanup", QStringLiteral("Preview clean-up..."));
    acHideSilent = make(owner, "acHideSilent", QStringLiteral("Hide silent recordings"));
    acHideSilent->setCheckable(true);

    acAddNode = make(owner, "acAddNode", QStringLiteral("Add node"));
    acAddSubNode = make(owner, "acAddSubNode", QStringLiteral("Add child node"));
    acInsertNode = make(owner, "acInsertNode", QStringLiteral("Insert node"));
    acDeleteNode = make(owner, "acDeleteNode", QStringLiteral("Delete node..."));
    acRenameNode = make(owner, "acRenameNode", QStringLiteral("Rename node"));
    acExpandNode = make(owner, "acExpandNode", QStringLiteral("Expand node"));
    acColapseNode = make(owner, "acColapseNode", QStringLiteral("Collapse node"));
    acExpandAll = make(owner, "acExpandAll", QStringLiteral("Expand all"));
    acColapseAll = make(owner, "acColapseAll", QStringLiteral("Collapse all"));

    acPlay = make(owner, "acPlay", QStringLiteral("Play"), QKeySequence(QStringLiteral("Ctrl+P")),
                  standard(QStyle::SP_MediaPlay));
    acPause = make(owner, "acPause", QStringLiteral("Pause"), {}, standard(QStyle::SP_MediaPause));
    acStop = make(owner, "acStop", QStringLiteral("Stop"), QKeySequence(QStringLiteral("Ctrl+S")),
                  standard(QStyle::SP_MediaStop));
    acRewind = make(owner, "acRewind", QStringLiteral("Rewind"), {},
                    standard(QStyle::SP_MediaSeekBackward));
    acFF = make(owner, "acFF", QStringLiteral("Fast forward"), {},
                standard(QStyle::SP_MediaSeekForward));
    acRecord = make(owner, "acRecord", QStringLiteral("Record"),
                    QKeySequence(QStringLiteral("Ctrl+R")), AppIcons::record());
    transportGroup = new QActionGroup(owner);
    transportGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (QAction *toggle : {acPlay, acPause, acRecord}) {
        toggle->setCheckable(true);
        transportGroup->addAction(toggle);
    }

    mnLevel = make(owner, "mnLevel", QStringLiteral("Volume level"));
    mnEqualizer = make(owner, "mnEqualizer", QStringLiteral("Voice equalizer"));

    acSettings = make(owner, "Settings1", QStringLiteral("Settings..."));
    acModemOn = make(owner, "acModemOn", QStringLiteral("On"));
    acModemOff = make(owner, "acModemOff", QStringLiteral("Off"));
    acModemOn->setCheckable(true);
    acModemOff->setCheckable(true);
    acDiagnostics = make(owner, "Diagnostics1", QStringLiteral("Diagnostics"));
    acCallers = make(owner, "acCallers", QStringLiteral("Callers..."));
    acImportContacts = make(owner, "acImportContacts", QStringLiteral("Import contacts..."));

    Contents1 = make(owner, "Contents1", QStringLiteral("Contents..."), {},
                     standard(QStyle::SP_DialogHelpButton));
    Contents1->setToolTip(QStringLiteral("Help"));
    ReportProblem1 = make(owner, "ReportProblem1", QStringLiteral("Report a problem..."));
    About1 = make(owner, "About1", QStringLiteral("About"));

    navFirst = make(owner, "navFirst", QStringLiteral("First file"), {},
                    standard(QStyle::SP_MediaSkipBackward));
    navPrior =
        make(owner, "navPrior", QStringLiteral("Prior file"), {}, standard(QStyle::SP_ArrowLeft));
    navNext =
        make(owner, "navNext", QStringLiteral("Next file"), {}, standard(QStyle::SP_ArrowRight));
    navLast = make(owner, "navLast", QStringLiteral("Last file"), {},
                   standard(QStyle::SP_MediaSkipForward));

    for (QAction *action : pending())
        action->setEnabled(false);
}

void MainActions::buildMenus(QMenuBar *bar)
{
    fileMenu = bar->addMenu(QStringLiteral(" &File "));
    fileMenu->addActions({acMemo, acDeleteFiles, acMoveTo, acCopyToFolder, acEmailFile, acSearch});
    fileMenu->addSeparator();
    fileMenu->addAction(acKeep);
    fileMenu->addSeparator();
    fileMenu->addAction(acExit);

    treeMenu = bar->addMenu(QStringLiteral(" &Tree "));
    treeMenu->addActions({acAddNode, acAddSubNode, acInsertNode, acDeleteNode, acRenameNode});
    treeMenu->addSeparator();
    treeMenu->addActions({acExpandNode, acColapseNode, acExpandAll, acColapseAll});

    recorderMenu = bar->addMenu(QStringLiteral(" Re&corder "));
    recorderMenu->addActions({acPlay, acPause, acStop, acRewind, acFF});
    recorderMenu->addSeparator();
    recorderMenu->addAction(acRecord);

    postMenu = bar->addMenu(QStringLiteral(" &Post processing "));
    postMenu->addActions({mnLevel, mnEqualizer});

    storageMenu = bar->addMenu(QStringLiteral(" &Storage "));
    storageMenu->addAction(acPreviewCleanup);
    storageMenu->addSeparator();
    storageMenu->addAction(acHideSilent);

    optionsMenu = bar->addMenu(QStringLiteral(" &Options "));
    optionsMenu->addAction(acSettings);
    modemMenu = optionsMenu->addMenu(QStringLiteral("Modem"));
    modemMenu->addActions({acModemOn, acModemOff});
    optionsMenu->addAction(acDiagnostics);
    optionsMenu->addSeparator();
    optionsMenu->addActions({acCallers, acImportContacts});

    helpMenu = bar->addMenu(QStringLiteral(" &Help "));
    helpMenu->addActions({Contents1, ReportProblem1});
    helpMenu->addSeparator();
    helpMenu->addAction(About1);
}

QList<QAction *> MainActions::pending() const
{
    return {acMemo,       acDeleteFiles, acMoveTo,         acCopyToFolder, acEmailFile,
            acSearch,     acKeep,        acPreviewCleanup, acAddNode,      acAddSubNode,
            acInsertNode, acDeleteNode,  acRenameNode,     acExpandNode,   acColapseNode,
            acExpandAll,  acColapseAll,  acPlay,           acPause,        acStop,
            acRewind,     acFF,          acRecord,         mnLevel,        mnEqualizer,
            acSettings,   acModemOn,     acModemOff,       acDiagnostics,  ReportProblem1,
            navFirst,     navPrior,      navNext,          navLast};
}
