#include "LargeCatalogue.h"

#include "catalogue/CatalogueSchema.h"
#include "catalogue/RecordingNames.h"
#include "catalogue/UniqueCode.h"
#include "catalogue/store/TStoreTable.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace bench {

QString catalogueDir(const QString &name)
{
    static QTemporaryDir temp;
    const QString env = qEnvironmentVariable("CALVORA_BENCH_DIR");
    const QString path = (env.isEmpty() ? temp.path() : env) + QLatin1Char('/') + name;
    QDir().mkpath(path);
    return path;
}

QString folderCode(int i)
{
    return QStringLiteral("F%1").arg(i, 7, 10, QLatin1Char('0'));
}

void writeLargeCatalogue(const QString &dir, int folders, int rows,
                         const std::function<int(int row)> &folderOf)
{
    if (QFile::exists(dir + "/Recordings.d") && QFile::exists(dir + "/Folders.d"))
        return;
    TStoreTable folderTable;
    folderTable.setLoadMode(TableLoadMode::lmClear);
    folderTable.FieldDefs = CatalogueSchema::folderFields();
    folderTable.Open();
    for (int i = 0; i < folders; ++i) {
        folderTable.Append();
        folderTable.setFieldValue("FolderId", folderCode(i));
        folderTable.setFieldValue("FolderName", QStringLiteral("Folder %1").arg(i));
        folderTable.Post();
    }
    folderTable.SaveToFile(dir + "/Folders.d");

    TStoreTable calls;
    calls.setLoadMode(TableLoadMode::lmClear);
    calls.FieldDefs = CatalogueSchema::recordingFields();
    calls.Open();
    UniqueCodeGenerator codes;
    const DateTimeFormats formats = DateTimeFormats::system();
    QDateTime at(QDate(2020, 1, 1), QTime(8, 0));
    for (int i = 0; i < rows; ++i) {
        at = at.addSecs(617);
        calls.Append();
        calls.setFieldValue("id", codes.next(at));
        calls.setFieldValue("Channel", 1);
        calls.setFieldValue("FolderId", folderCode(folderOf(i)));
        calls.setFieldValue("DateS", formats.dateText(at.date()));
        calls.setFieldValue("TimeS", formats.timeText(at.time()));
        calls.setFieldValue("Duration", DurationText(i % 3600));
        calls.setFieldValue(
            "Comment",
            QStringLiteral("Call from +49 30 %1 about order %2").arg(1000000 + i * 7).arg(i % 977));
        calls.Post();
    }
    calls.SaveToFile(dir + "/Recordings.d");
}

} // namespace bench
