// Rows are found by one walk over the list with a set of the selected codes, so that
// thousands of selected rows cost one pass, not one search each.
#include "RecordingOperations.h"

#include "Catalogue.h"
#include "store/StoreError.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

namespace {

// While a set of rows goes, the table is saved once and the files are deleted after it, so the
// per-row delete hooks stand aside.
class HooksAside
{
public:
    explicit HooksAside(TStoreTable &table)
        : m_table(table), m_before(std::move(table.BeforeDelete)),
          m_after(std::move(table.AfterDelete))
    {
        m_table.BeforeDelete = nullptr;
        m_table.AfterDelete = nullptr;
    }
    ~HooksAside()
    {
        m_table.BeforeDelete = std::move(m_before);
        m_table.AfterDelete = std::move(m_after);
    }
    Q_DISABLE_COPY_MOVE(HooksAside)

private:
    TStoreTable &m_table;
    std::function<void(TStoreDataset &)> m_before, m_after;
};

class ControlsOff
{
public:
    explicit ControlsOff(TStoreDataset &table) : m_table(table) { m_table.DisableControls(); }
    ~ControlsOff() { m_table.EnableControls(); }
    Q_DISABLE_COPY_MOVE(ControlsOff)

private:
    TStoreDataset &m_table;
};

QString oneLine(QString text)
{
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    return text;
}

// Copies through a temporary file beside the target, so a failed copy leaves nothing behind
// and an existing file stays whole until the copy is complete.
bool copyFile(const QString &from, const QString &to, QString &error)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly)) {
        error = source.errorString();
        return false;
    }
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly)) {
        error = target.errorString();
        return false;
    }
    QByteArray block;
    while (!(block = source.read(1 << 20)).isEmpty()) {
        if (target.write(block) != block.size()) {
            error = target.errorString();
            target.cancelWriting();
            return false;
        }
    }
    if (source.error() != QFileDevice::NoError) {
        error = source.errorString();
        target.cancelWriting();
        return false;
    }
    if (!target.commit()) {
        error = target.errorString();
        return false;
    }
    return true;
}

} // namespace

RecordingOperations::RecordingOperations(Catalogue &catalogue, MessageService &messages)
    : m_catalogue(catalogue), m_messages(messages)
{}

QList<int> RecordingOperations::rowsOf(const RecordingSelection &selection, bool withCurrent) const
{
    const TStoreTable &calls = m_catalogue.CallsTbl;
    QList<int> rows;
    if (!calls.Active() || calls.RecordCount() == 0)
        return rows;
    const int current = calls.RecNo() - 1;
    if (!selection.isEmpty()) {
        const int idField = calls.fieldIndex(QStringLiteral("id"));
        for (int row = 0; row < calls.RecordCount(); ++row) {
            const std::string_view id = calls.bytesAt(row, idField);
            const bool selected = selection.containsBytes(
                QByteArray::fromRawData(id.data(), static_cast<qsizetype>(id.size())));
            if (selected || (row == current && withCurrent))
                rows.append(row);
        }
    } else if (withCurrent && current >= 0) {
        rows.append(current);
    }
    return rows;
}

void RecordingOperations::selectAll(RecordingSelection &selection)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active())
        return;
    ControlsOff off(calls);
    calls.First();
    const int idField = calls.fieldIndex(QStringLiteral("id"));
    for (int row = 0; row < calls.RecordCount(); ++row) {
        const std::string_view id = calls.bytesAt(row, idField);
        selection.add(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())));
    }
    calls.Last();
}

QString RecordingOperations::currentFile()
{
    m_catalogue.RenameLegacyFile();
    return m_catalogue.recordingFilePath();
}

void RecordingOperations::removeFiles(const QStringList &candidates)
{
    QStringList files;
    for (const QString &file : candidates)
        if (QFile::exists(file) && !QFile::remove(file))
            files.append(file);
    if (files.isEmpty())
        return;
    const int shown = 10;
    QString text = QStringLiteral("These recording files could not be deleted:");
    for (const QString &file : files.mid(0, shown))
        text += QLatin1Char('\n') + file;
    if (files.size() > shown)
        text += QStringLiteral("\nand %1 more").arg(files.size() - shown);
    m_messages.showMessage(text, MessageService::Kind::Warning);
}

bool RecordingOperations::deleteRecordings(RecordingSelection &selection)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0) {
        selection.clear();
        return false;
    }
    if (!m_messages.confirm(QStringLiteral("Delete selected record(s)?")))
        return false;
    const QList<int> rows = rowsOf(selection, true);
    QStringList files, ids;
    {
        HooksAside aside(calls);
        ControlsOff off(calls);
        // From the last row up, so the rows still to go keep their places.
        for (auto row = rows.crbegin(); row != rows.crend(); ++row) {
            calls.setRecNo(*row + 1);
            const QString file = currentFile();
            const QString id = m_catalogue.currentRecordingId();
            try {
                calls.Delete();
            } catch (const StoreError &) {
                continue;
            }
            ids.append(id);
            if (!file.isEmpty())
                files.append(file);
        }
    }
    selection.clear();
    if (!m_catalogue.saveTable(calls))
        return false;
    m_catalogue.Details.remove(ids);
    removeFiles(files);
    return true;
}

QStringList RecordingOperations::removeRows(const QSet<QString> &ids)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || ids.isEmpty())
        return {};
    const QString current = m_catalogue.currentRecordingId();
    QStringList removed;
    {
        HooksAside aside(calls);
        ControlsOff off(calls);
        // Without its master the table shows the rows of every folder.
        TStoreTable *master = calls.MasterSource();
        calls.setMasterSource(nullptr);
        const int idField = calls.fieldIndex(QStringLiteral("id"));
        for (int row = calls.RecordCount() - 1; row >= 0; --row) {
            const std::string_view bytes = calls.bytesAt(row, idField);
            const QString id = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
            if (!ids.contains(id))
                continue;
            calls.setRecNo(row + 1);
            try {
                calls.Delete();
            } catch (const StoreError &) {
                continue;
            }
            removed << id;
        }
        calls.setMasterSource(master);
        if (!current.isEmpty() && !removed.contains(current))
            calls.Locate(QStringLiteral("id"), current);
    }
    if (removed.isEmpty() || !m_catalogue.saveTable(calls))
        return {};
    m_catalogue.Details.remove(removed);
    return removed;
}

bool RecordingOperations::MoveRecordings(const QString &folderCode, RecordingSelection &selection)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0 || folderCode.isEmpty()) {
        selection.clear();
        return false;
    }
    const int position = calls.RecNo();
    const QList<int> rows = rowsOf(selection, true);
    {
        ControlsOff off(calls);
        try {
            for (int row : rows) {
                calls.setRecNo(row + 1);
                calls.Edit();
                calls.setFieldValue(QStringLiteral("FolderId"), folderCode);
                calls.Post();
            }
        } catch (const StoreError &e) {
            calls.cancel();
            m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        }
    }
    selection.clear();
    if (!m_catalogue.saveTable(calls))
        return false;
    try {
        calls.Refresh();
    } catch (const StoreError &e) {
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        return false;
    }
    calls.setRecNo(position);
    return true;
}

QString RecordingOperations::currentFileName()
{
    const QString file = currentFile();
    return file.isEmpty() ? QString() : QFileInfo(file).fileName();
}

int RecordingOperations::copyToFolder(const QString &dir, RecordingSelection &selection)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0 || dir.isEmpty()) {
        selection.clear();
        return 0;
    }
    const int position = calls.RecNo();
    const QList<int> rows =
        selection.isEmpty() ? rowsOf(selection, true) : rowsOf(selection, false);
    int copied = 0;
    {
        ControlsOff off(calls);
        for (int row : rows) {
            calls.setRecNo(row + 1);
            const QString source = currentFile();
            if (source.isEmpty() || !QFile::exists(source))
                continue; // a missing file is not copied
            const QString name = QFileInfo(source).fileName();
            const QString target = QDir(dir).filePath(name);
            if (QFileInfo(target).absoluteFilePath() == QFileInfo(source).absoluteFilePath())
                continue; // copying a file onto itself would destroy it
            if (QFileInfo::exists(target) &&
                !m_messages.confirm(QStringLiteral("The file %1 already exists in %2.\nReplace it?")
                                        .arg(name, QDir::toNativeSeparators(dir))))
                continue;
            QString error;
            if (!copyFile(source, target, error)) {
                m_messages.showMessage(QStringLiteral("Could not copy %1 to %2: %3")
                                           .arg(name, QDir::toNativeSeparators(dir), error),
                                       MessageService::Kind::Error);
                break;
            }
            ++copied;
        }
        calls.setRecNo(position);
    }
    selection.clear();
    return copied;
}

bool RecordingOperations::editMemo()
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active() || calls.RecordCount() == 0)
        return false;
    const QString initial = calls.FieldValues(QStringLiteral("Comment")).toString();
    const std::optional<QString> answer =
        m_messages.askText(QStringLiteral("Comment"), QString(), initial);
    if (!answer || answer->isEmpty() || *answer == initial)
        return false;
    try {
        calls.Edit();
        calls.setFieldValue(QStringLiteral("Comment"), oneLine(answer->left(MaxMemoLength)));
        calls.Post();
    } catch (const StoreError &e) {
        calls.cancel();
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
        return false;
    }
    return m_catalogue.saveTable(calls);
}

bool RecordingOperations::deleteFolders(const QStringList &folderCodes)
{
    TStoreTable &folders = m_catalogue.FoldersTbl;
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!folders.Active() || !calls.Active())
        return false;
    QStringList files, ids;
    {
        HooksAside aside(calls);
        for (const QString &code : folderCodes) {
            if (code.isEmpty())
                continue;
            bool found = false;
            try {
                found = folders.Locate(QStringLiteral("FolderId"), code);
            } catch (const StoreError &) {
            }
            // Without its folder row the list does not show the folder: nothing of it goes.
            if (!found)
                continue;
            ControlsOff off(calls);
            while (calls.RecordCount() > 0) {
                calls.Last();
                const QString file = currentFile();
                const QString id = m_catalogue.currentRecordingId();
                try {
                    calls.Delete();
                } catch (const StoreError &) {
                    break;
                }
                ids.append(id);
                if (!file.isEmpty())
                    files.append(file);
            }
            try {
                folders.Delete();
            } catch (const StoreError &) {
            }
        }
    }
    const bool callsSaved = m_catalogue.saveTable(calls);
    const bool foldersSaved = callsSaved && m_catalogue.saveTable(folders);
    if (!callsSaved || !foldersSaved)
        return false;
    m_catalogue.Details.remove(ids);
    removeFiles(files);
    return true;
}
