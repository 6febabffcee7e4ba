// The folder tree as stored: its nodes in pre-order with their levels, the tree text form
// (one line per node, a TAB per level), Tree.ini with its Tree, Folders and Expanded sections,
// and the one-time conversion of the old tree.d. No widget: the tree view builds itself from
// these nodes and hands them back for saving.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <stdexcept>

class TStoreTable;

struct FolderNode
{
    int level = 0; // 0 for a top-level node
    QString text;  // the folder's name as shown
    QString code;  // FolderId of its Folders.d row; empty when unknown
    bool expanded = false;

    bool operator==(const FolderNode &) const = default;
};

// The whole tree in node order: a node, then its children in order, then its next sibling.
using FolderNodes = QList<FolderNode>;

// Reading a line more than one level deeper than the line before it.
class InvalidLevelError : public std::runtime_error
{
public:
    InvalidLevelError(int level, const QString &text);
    int level() const { return m_level; }
    // The nodes read before the bad line.
    FolderNodes before;

private:
    int m_level;
};

namespace FolderTreeFile {

inline const QString TreeIniName = QStringLiteral("Tree.ini");
inline const QString OldTreeName = QStringLiteral("tree.d");
// The longest folder name (the size of FolderName).
constexpr int MaxNameLength = 100;

// A typed folder name as the tree file can hold it: control characters become blanks, and
// leading blanks and '#' go, since they would read back as a deeper level.
QString storableName(const QString &typed);

// The tree text form: per node, its level in TABs then its text; lines end with CR LF.
QByteArray toText(const FolderNodes &nodes);
// Every leading TAB or space counts as one level. Throws InvalidLevelError.
FolderNodes fromLines(const QStringList &lines);
QStringList splitLines(const QByteArray &text);

// Writes the three sections into the key/value file at path in one safe replacement (other
// sections are kept). Throws FileSaveError when the file cannot be written.
void SaveTreeToIni(const FolderNodes &nodes, const QString &path);
// Rebuilds the nodes from the file: the Tree section's values in file order with '#' read as
// TAB, codes from Folders (empty when missing), expanded flags from Expanded (collapsed when
// missing). Throws InvalidLevelError.
FolderNodes LoadTreeFromIni(const QString &path);

// The old tree.d in dir, whatever the letter case of its name; empty when there is none.
QString findOldTree(const QString &dir);
// Reads tree.d as tree text, all nodes expanded; each node gets the code of the Folders.d row
// of the same name. A name no row has leaves the table where the last search left it, and the
// node gets that row's code. Throws InvalidLevelError.
FolderNodes convertOldTree(const QString &oldTreePath, TStoreTable &folders);

} // namespace FolderTreeFile
