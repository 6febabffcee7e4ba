#include "RecordingEdits.h"

#include "RecordingsQuery.h"
#include "catalogue/Catalogue.h"
#include "catalogue/RecordingOperations.h"
#include "support/MessageService.h"

namespace {

// The page asked its question before sending the request, so the operations' question is
// answered Yes; what they would show is kept for the answer to the page.
class PageMessages final : public MessageService
{
public:
    void showMessage(const QString &text, Kind) override { shown << text; }
    bool confirm(const QString &) override { return true; }
    // The memo's question gets the memo sent.
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return answer;
    }
    QStringList shown;
    std::optional<QString> answer;
};

} // namespace

RecordingEdits::RecordingEdits(Catalogue &catalogue, RecordingsQuery &query)
    : m_catalogue(catalogue), m_query(query)
{}

bool RecordingEdits::locate(const QString &id)
{
    const auto record = m_query.storedIndex(id);
    if (!record)
        return false;
    const TStoreCursor &cursor = m_catalogue.CallsTbl.cursor();
    const std::string_view folder = cursor.bytes(*record, cursor.fieldIndex("FolderId"));
    return m_catalogue.hasRecording(QString::fromUtf8(folder.data(), qsizetype(folder.size())), id);
}

void RecordingEdits::restoreFolder(const QString &folderId)
{
    if (!folderId.isEmpty() && m_catalogue.currentFolderId() != folderId)
        m_catalogue.FoldersTbl.Locate(QStringLiteral("FolderId"), folderId);
}

RecordingEdits::Outcome RecordingEdits::setMemo(const QString &id, const QString &memo,
                                                const QString &who, QString &stored)
{
    if (memo.isEmpty() || memo.size() > MaxMemoLength)
        return Outcome::BadInput;
    const QString folder = m_catalogue.currentFolderId();
    if (!locate(id))
        return Outcome::NotFound;
    const auto storedMemo = [this] {
        return m_catalogue.CallsTbl.FieldValues(QStringLiteral("Comment")).toString();
    };
    // The window's memo command on this row, answered with the memo sent.
    if (storedMemo() == memo) {
        stored = memo;
        restoreFolder(folder);
        return Outcome::Done;
    }
    PageMessages messages;
    messages.answer = memo;
    RecordingOperations operations(m_catalogue, messages);
    const Outcome outcome = operations.editMemo() ? Outcome::Done : Outcome::SaveFailed;
    stored = storedMemo();
    restoreFolder(folder);
    m_catalogue.log(
        outcome == Outcome::Done
            ? QStringLiteral("Memo of recording %1 changed from the %2").arg(id, who)
            : QStringLiteral("Memo of recording %1 could not be saved (%2)").arg(id, who));
    return outcome;
}

RecordingEdits::Outcome RecordingEdits::remove(const QString &id, const QString &who,
                                               QString &fileLeft)
{
    const QString folder = m_catalogue.currentFolderId();
    if (!locate(id))
        return Outcome::NotFound;
    // The window's Delete on this row alone: the row goes, the table is saved, the details
    // go, and then the file.
    PageMessages messages;
    RecordingOperations operations(m_catalogue, messages);
    RecordingSelection onlyTheCurrentRow;
    const bool deleted = operations.deleteRecordings(onlyTheCurrentRow) && !m_query.exists(id);
    restoreFolder(folder);
    if (!deleted) {
        m_catalogue.log(
            QStringLiteral("Recording %1 could not be deleted from the %2").arg(id, who));
        return Outcome::SaveFailed;
    }
    fileLeft = messages.shown.join(QLatin1Char(' '));
    m_catalogue.log(
        fileLeft.isEmpty()
            ? QStringLiteral("Recording %1 deleted from the %2").arg(id, who)
            : QStringLiteral("Recording %1 deleted from the %2. %3")
                  .arg(id, who, QString(fileLeft).replace(QLatin1Char('\n'), QLatin1Char(' '))));
    return Outcome::Done;
}
