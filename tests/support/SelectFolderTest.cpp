// The folder chooser "Select folder": what "Ok", "Cancel" and other closes return.
#include "support/ui/TfmSelectFolder.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {
// Runs act on the chooser once it is shown modally.
QString executeAnd(TfmSelectFolder &chooser, const QString &start, const std::function<void()> &act)
{
    QTimer::singleShot(0, [&] {
        if (!chooser.isVisible())
            QTimer::singleShot(10, act);
        else
            act();
    });
    return chooser.Execute(start);
}
} // namespace

TEST(SelectFolderTest, OkCancelAndOtherClosesReturnAsTheyShould)
{
    QTemporaryDir dir;
    const QString first = dir.filePath("first"), second = dir.filePath("second");
    QDir().mkpath(first);
    QDir().mkpath(second);
    TfmSelectFolder chooser;
    EXPECT_EQ(chooser.windowTitle(), "Select folder");

    EXPECT_EQ(executeAnd(chooser, first, [&] { chooser.close(); }), QString())
        << "the first use returns nothing when closed";
    EXPECT_EQ(executeAnd(chooser, first, [&] { chooser.okButton()->click(); }), first)
        << "Ok starts on the folder given";
    EXPECT_EQ(executeAnd(chooser, first,
                         [&] {
                             chooser.selectPath(second);
                             chooser.close();
                         }),
              first)
        << "a close returns what the last use returned";
    EXPECT_EQ(executeAnd(chooser, first,
                         [&] {
                             chooser.selectPath(second);
                             chooser.okButton()->click();
                         }),
              second);
    EXPECT_EQ(executeAnd(chooser, first, [&] { chooser.cancelButton()->click(); }), QString());
    EXPECT_EQ(executeAnd(chooser, first, [&] { chooser.close(); }), QString());

    // A folder that went away starts the chooser on its parent.
    EXPECT_EQ(executeAnd(chooser, second + "/gone/too", [&] { chooser.okButton()->click(); }),
              second);
}
