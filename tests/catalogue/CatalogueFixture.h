// A catalogue on disk for the tests of folders and list operations: the folders General, A,
// C (under A in the tree) and B, each with recordings whose WAV files exist.
#pragma once

#include "catalogue/Catalogue.h"
#include "support/EventLog.h"
#include "support/ScriptedMessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <memory>

class CatalogueFixture
{
public:
    CatalogueFixture()
    {
        QDir().mkpath(wavDir());
        catalogue = std::make_unique<Catalogue>(dir.path(), messages, &log);
        catalogue->clock = [this] { return now; };
        catalogue->formats = DateTimeFormats::fromLocale(QLocale::c(), "dd.MM.yyyy", "HH:mm:ss");
        catalogue->recordingsDir = [this] { return wavDir(); };
    }

    QString wavDir() const { return dir.filePath("wav") + "/"; }

    // Opens the catalogue and fills it: perFolder recordings in General, A, C and B, memos
    // "<folder> call <n>", each with a WAV file holding its memo.
    void fill(int perFolder = 3)
    {
        catalogue->OpenCatalogue();
        codes["General"] = catalogue->currentFolderId();
        for (const char *name : {"A", "C", "B"}) {
            TStoreTable &f = catalogue->FoldersTbl;
            f.Append();
            f.setFieldValue("FolderId", QString("F%1000000").arg(name));
            f.setFieldValue("FolderName", name);
            f.Post();
            f.SaveChanges();
            codes[name] = QString("F%1000000").arg(name);
        }
        for (const char *name : {"General", "A", "C", "B"}) {
            showFolder(name);
            for (int n = 1; n <= perFolder; ++n) {
                now = now.addSecs(61);
                const QString memo = QString("%1 call %2").arg(name).arg(n);
                catalogue->AddRecordingRow(now, 30, memo);
                QFile file(catalogue->recordingFilePath());
                file.open(QIODevice::WriteOnly);
                file.write(memo.toUtf8());
            }
        }
        showFolder("General");
    }

    void showFolder(const QString &name)
    {
        catalogue->FoldersTbl.Locate("FolderId", codes.at(name));
    }

    // The memos of the rows shown, in order.
    QStringList shownMemos() const
    {
        QStringList memos;
        const TStoreTable &c = catalogue->CallsTbl;
        for (int row = 0; row < c.RecordCount(); ++row)
            memos << c.valueAt(row, c.fieldIndex("Comment")).toString();
        return memos;
    }

    QString idOfRow(int row) const
    {
        const TStoreTable &c = catalogue->CallsTbl;
        return c.valueAt(row, c.fieldIndex("id")).toString();
    }

    // The WAV files in the recordings directory, by content (the memo written into each).
    QStringList wavContents() const
    {
        QStringList contents;
        for (const QString &name : QDir(wavDir()).entryList(QDir::Files, QDir::Name)) {
            QFile f(wavDir() + name);
            f.open(QIODevice::ReadOnly);
            contents << QString::fromUtf8(f.readAll());
        }
        contents.sort();
        return contents;
    }

    // The memos of a table file as it is on disk, all folders.
    QStringList memosOnDisk() const
    {
        TStoreTable table;
        table.setTableName(dir.filePath("Recordings.d"));
        table.Open();
        QStringList memos;
        for (int row = 0; row < table.RecordCount(); ++row)
            memos << table.valueAt(row, table.fieldIndex("Comment")).toString();
        memos.sort();
        return memos;
    }

    QTemporaryDir dir;
    ScriptedMessageService messages;
    EventLog log{dir.filePath("Events.log")};
    QDateTime now{QDate(2024, 3, 15), QTime(14, 30, 5)};
    std::unique_ptr<Catalogue> catalogue;
    std::map<QString, QString> codes;
};
