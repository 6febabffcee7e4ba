// Connects the catalogue to the main window: the folder tree's presenter (Tree.ini, the Tree
// commands), the recordings list's presenter (selection and list commands), dropping
// recordings on a folder, and the save points of the tree. Made before the catalogue opens,
// since opening it loads the tree.
#pragma once

#include <memory>

struct AppContext;
class Catalogue;
class FolderTreePresenter;
class RecordingListPresenter;
class SupportCommands;
class TfmOrv;

class CatalogueWiring final
{
public:
    CatalogueWiring(TfmOrv &window, Catalogue &catalogue, AppContext &context);
    ~CatalogueWiring();
    CatalogueWiring(const CatalogueWiring &) = delete;
    CatalogueWiring &operator=(const CatalogueWiring &) = delete;

    // "Email wav file to..." sends the list's selected recordings (else the current one) and
    // ends the selection.
    void connectMail(SupportCommands &support);

    FolderTreePresenter &tree() { return *m_tree; }
    RecordingListPresenter &list() { return *m_list; }

private:
    TfmOrv &m_window;
    std::unique_ptr<RecordingListPresenter> m_list;
    std::unique_ptr<FolderTreePresenter> m_tree;
};
