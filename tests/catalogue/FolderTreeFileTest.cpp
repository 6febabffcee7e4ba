// The folder tree as stored: Tree.ini, the tree text form and the old tree.d.
#include "catalogue/FolderTreeFile.h"
#include "catalogue/Catalogue.h"
#include "support/AtomicFile.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

const FolderNodes Example = {
    {0, "General", "G0000001", false},
    {1, "A", "A0000001", true},
    {2, "C", "C0000001", false},
    {1, "B", "B0000001", false},
};

TEST(FolderTreeFileTest, WritesTheTreeSectionsAndReadsTheSameTreeBack)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tree.ini");
    writeFile(ini, "[Other]\r\nKeep=1\r\n[Tree]\r\nNode0=Old\r\nNode9=Stale\r\n");
    FolderTreeFile::SaveTreeToIni(Example, ini);

    const QString text = QString::fromUtf8(readAll(ini));
    for (const char *line :
         {"[Tree]\r\nNode0=General\r\nNode1=#A\r\nNode2=##C\r\nNode3=#B\r\n",
          "[Folders]\r\nNode0=G0000001\r\nNode1=A0000001\r\nNode2=C0000001\r\nNode3=B0000001\r\n",
          "[Expanded]\r\nNode0=0\r\nNode1=1\r\nNode2=0\r\nNode3=0", "[Other]\r\nKeep=1\r\n"})
        EXPECT_TRUE(text.contains(QString::fromLatin1(line))) << line << "\nin\n"
                                                              << text.toStdString();
    EXPECT_FALSE(text.contains("Stale")) << "the old sections are erased first";
    EXPECT_EQ(FolderTreeFile::LoadTreeFromIni(ini), Example);
}

TEST(FolderTreeFileTest, ReadsNamesAsTheTreeTextFormSaysAndMissingEntriesAsEmpty)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tree.ini");
    // Keys are taken in the order they stand; '#' is a TAB, a leading blank one more level.
    writeFile(ini, "[Tree]\nNode0=General\nNode1=#Sales#2024\nNode2=# Leads\n"
                   "[Folders]\nNode0=G1\n[Expanded]\nNode1=1\n");
    const FolderNodes nodes = FolderTreeFile::LoadTreeFromIni(ini);
    const FolderNodes expected = {
        {0, "General", "G1", false}, {1, "Sales\t2024", "", true}, {2, "Leads", "", false}};
    EXPECT_EQ(nodes, expected);
}

TEST(FolderTreeFileTest, ALineTwoLevelsDeeperFailsWithTheInvalidLevelError)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tree.ini");
    writeFile(ini, "[Tree]\nNode0=General\nNode1=##Deep\nNode2=#B\n[Folders]\nNode0=G1\n");
    try {
        FolderTreeFile::LoadTreeFromIni(ini);
        FAIL() << "no error";
    } catch (const InvalidLevelError &e) {
        EXPECT_STREQ(e.what(), "Invalid level (2) for item \"Deep\"");
        EXPECT_EQ(e.before, FolderNodes({{0, "General", "G1", false}}));
    }
    EXPECT_THROW(FolderTreeFile::fromLines({"\tFirst"}), InvalidLevelError);
    // Shallower lines are siblings of the ancestor at their level.
    EXPECT_EQ(FolderTreeFile::fromLines({"R", "\tA", "\t\tB", "C"}).last().level, 0);
}

TEST(FolderTreeFileTest, AnOldTreeIsMatchedToFolderRowsByName)
{
    QTemporaryDir dir;
    ScriptedMessageService messages;
    Catalogue catalogue(dir.path(), messages, nullptr);
    ASSERT_TRUE(catalogue.OpenCatalogue());
    TStoreTable &folders = catalogue.FoldersTbl;
    const QString general = folders.FieldValues("FolderId").toString();
    for (const auto &[code, name] : {std::pair{"WORK0001", "Work"}, {"HOME0001", "Home"}}) {
        folders.Append();
        folders.setFieldValue("FolderId", code);
        folders.setFieldValue("FolderName", name);
        folders.Post();
    }
    writeFile(dir.filePath("TREE.D"), "General\r\n\tWork\r\n\t\tGone\r\n\tHome\r\n");

    const QString found = FolderTreeFile::findOldTree(dir.path());
    EXPECT_EQ(QFileInfo(found).fileName(), "TREE.D") << "the name matches in any letter case";
    const FolderNodes nodes = FolderTreeFile::convertOldTree(found, folders);
    // A name no row has keeps the row the previous search found.
    const FolderNodes expected = {{0, "General", general, true},
                                  {1, "Work", "WORK0001", true},
                                  {2, "Gone", "WORK0001", true},
                                  {1, "Home", "HOME0001", true}};
    EXPECT_EQ(nodes, expected);
    EXPECT_TRUE(FolderTreeFile::findOldTree(QDir(dir.path()).filePath("none")).isEmpty());
}

TEST(FolderTreeFileTest, AnUnwritableTreeIniKeepsItsOldContent)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath("Tree.ini");
    FolderTreeFile::SaveTreeToIni(Example, ini);
    const QByteArray before = readAll(ini);
    // A directory where the temporary file should go makes the save fail.
    const QString blocked = dir.filePath("sub");
    ASSERT_TRUE(QDir().mkpath(blocked + "/Tree.ini/x"));
    EXPECT_THROW(FolderTreeFile::SaveTreeToIni(Example, blocked + "/Tree.ini"), FileSaveError);
    EXPECT_EQ(readAll(ini), before);
}

} // namespace
