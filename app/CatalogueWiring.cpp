// The catalogue's presenters on the main window.
#include "CatalogueWiring.h"

#include "AppContext.h"
#include "MainActions.h"
#include "SupportCommands.h"
#include "TfmOrv.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/FolderTreePresenter.h"
#include "catalogue/ui/FolderTreeView.h"
#include "catalogue/ui/RecordingListPresenter.h"

CatalogueWiring::CatalogueWiring(TfmOrv &window, Catalogue &catalogue, AppContext &context)
    : m_window(window)
{
    MainActions &a = window.actions();
    m_list = std::make_unique<RecordingListPresenter>(
        *window.recordingsList(), catalogue, context.messages, context.choosers,
        RecordingListActions{a.acMemo, a.acDeleteFiles, a.acMoveTo, a.acCopyToFolder, a.acEmailFile,
                             a.acSearch});
    FolderTreeView *treeView = window.folderTree();
    m_tree = std::make_unique<FolderTreePresenter>(
        *treeView, catalogue, m_list->operations(), context.messages, context.programDir,
        FolderTreeActions{a.acAddNode, a.acAddSubNode, a.acInsertNode, a.acDeleteNode,
                          a.acRenameNode, a.acExpandNode, a.acColapseNode, a.acExpandAll,
                          a.acColapseAll});

    m_list->folderNodes = [treeView] { return treeView->nodes(); };
    QObject::connect(treeView, &FolderTreeView::recordingsDropped, m_list.get(),
                     &RecordingListPresenter::MoveRecordings);
    QObject::connect(treeView, &FolderTreeView::dropEnded, m_list.get(),
                     &RecordingListPresenter::clearDragState);
    m_tree->treeChanged = [&window] { window.TreeChanged = true; };
    window.SaveTreeToIni = [this] { m_tree->SaveTreeToIni(); };
}

void CatalogueWiring::connectMail(SupportCommands &support)
{
    RecordingListPresenter *list = m_list.get();
    support.recordingsToEmail = [list] { return list->recordingsToSend(); };
    support.recordingsEmailed = [list] { list->clearSelection(); };
}

CatalogueWiring::~CatalogueWiring()
{
    m_window.SaveTreeToIni = nullptr;
}
