// The main window's commands with their captions and shortcuts, and the menus that hold
// them. A command whose feature is not present stays disabled.
#pragma once

#include <QList>

class QAction;
class QActionGroup;
class QMenu;
class QMenuBar;
class QObject;

struct MainActions
{
    explicit MainActions(QObject *owner);

    // Fills the menu bar with " &File ", " &Tree ", " Re&corder ", " &Post processing ",
    // " &Storage ", " &Options " and " &Help ".
    void buildMenus(QMenuBar *bar);

    // File
    QAction *acMemo, *acDeleteFiles, *acMoveTo, *acCopyToFolder, *acEmailFile, *acSearch, *acExit;
    // "Keep": the current (and selected) recordings are pinned; checked when the current one is.
    QAction *acKeep;
    // Storage: what the retention rules would remove, shown before anything goes; and the view
    // option that keeps silent recordings out of the list.
    QAction *acPreviewCleanup, *acHideSilent;
    // Tree
    QAction *acAddNode, *acAddSubNode, *acInsertNode, *acDeleteNode, *acRenameNode, *acExpandNode,
        *acColapseNode, *acExpandAll, *acColapseAll;
    // Recorder: Play, Pause and Record are one group of which at most one is down.
    QAction *acPlay, *acPause, *acStop, *acRewind, *acFF, *acRecord;
    QActionGroup *transportGroup;
    // Post processing
    QAction *mnLevel, *mnEqualizer;
    // Options
    QAction *acSettings, *acModemOn, *acModemOff, *acDiagnostics;
    // The caller directory's window, and importing contacts into it.
    QAction *acCallers, *acImportContacts;
    // Help
    QAction *Contents1, *ReportProblem1, *About1;
    // Record navigator of the tool bar
    QAction *navFirst, *navPrior, *navNext, *navLast;

    QMenu *fileMenu = nullptr, *treeMenu = nullptr, *recorderMenu = nullptr, *postMenu = nullptr,
          *storageMenu = nullptr, *optionsMenu = nullptr, *modemMenu = nullptr, *helpMenu = nullptr;

    // The actions that need a later part of the program; disabled until it is present.
    QList<QAction *> pending() const;
};
