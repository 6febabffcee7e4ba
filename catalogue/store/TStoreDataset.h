// The dataset behaviour of a store table: the visible record list and the current position,
// the editing states, field access by name, search, ranges, the change counter and the save
// trigger. Views bind to its signals; every operation runs on the user-interface thread.
#pragma once

#include "TStoreCursor.h"

#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <vector>

class TStoreDataset : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TStoreDataset)

public:
    enum class State
    {
        Inactive,
        Browse,
        Edit,
        Insert
    };

    explicit TStoreDataset(QObject *parent = nullptr);
    ~TStoreDataset() override;

    // Fills the table and makes the first visible record current. Throws StoreError; the
    // table then stays closed.
    void Open();
    // Drops the records and the range; does not save. An edit or insert is abandoned.
    void Close();
    bool Active() const { return m_state != State::Inactive; }
    State state() const { return m_state; }

    // Navigation over the visible records. An edit or insert is posted first.
    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    // Number of visible records.
    int RecordCount() const { return static_cast<int>(m_visible.size()); }
    // 1-based position of the current record; 0 when there is none.
    int RecNo() const { return m_current + 1; }
    // Moves to a record; values are clamped to 1..RecordCount.
    void setRecNo(int recNo);

    void Append();
    void Edit();
    void Post();
    void cancel();
    // Runs BeforeDelete, deletes the current record, runs AfterDelete. The following
    // visible record becomes current.
    void Delete();

    // The current value of a field (null when there is no current record).
    QVariant FieldValues(const QString &name) const;
    // Sets a field of the record being edited or inserted; text is cut to the field's size.
    void setFieldValue(const QString &name, const QVariant &value);

    // Finds the first visible record whose fields (names separated by ';') equal the values
    // (one value, or a QVariantList with one per field) and makes it current. False leaves
    // the position as it was.
    bool Locate(const QString &fields, const QVariant &values);

    // Saves when changed, reads the table again and rebuilds the visible list.
    virtual void Refresh();
    // Posts a pending edit or insert, then writes the table to its own file when the change
    // counter is above zero and the table is read from a file. Throws StoreError.
    void SaveChanges();
    // Edits, appends and deletions minus cancellations; not reset by saving.
    int changeCount() const { return m_changeCount; }

    // Suspends the notifications to views and detail tables while a loop walks the table;
    // when the last suspension ends one notification covers everything that happened.
    void DisableControls();
    void EnableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    // The owner's handlers around Delete. Throwing from BeforeDelete cancels the deletion.
    std::function<void(TStoreDataset &)> BeforeDelete;
    std::function<void(TStoreDataset &)> AfterDelete;

    // Fields, for views and code that walks them.
    int fieldCount() const { return static_cast<int>(m_cursor.fields().size()); }
    QString fieldName(int field) const;
    int fieldIndex(const QString &name) const;
    const FieldDesc &Field(int field) const { return m_cursor.fields()[std::size_t(field)]; }

    // The value of a visible record (0-based row) without moving to it.
    QVariant valueAt(int row, int field) const;
    // Its stored bytes (text as UTF-8), for fast scans.
    std::string_view bytesAt(int row, int field) const;
    // The stored state of a visible record.
    RecordState stateAt(int row) const;

    const TStoreCursor &cursor() const { return m_cursor; }

signals:
    // Rows were added or removed, the visible list was rebuilt, or the table opened or closed.
    void dataSetChanged();
    // A posted edit changed a visible row (0-based) in place.
    void recordChanged(int row);
    // The current record moved.
    void currentChanged();
    // Browse, edit, insert or closed.
    void stateChanged();

protected:
    // Fills m_cursor (and FieldDefs) on Open; throws StoreError.
    virtual void internalOpen() = 0;
    // Writes the table to its own file when it is read from one. Throws StoreError.
    virtual void writeOwnFile() = 0;
    // Called when the change counter moves.
    virtual void changeCountChanged() {}
    // Called after Open has built the visible list, before the first notification.
    virtual void afterInternalOpen() {}
    virtual void AfterClose() {}

    // Restricts the visible list to records whose fields equal the key (in field storage);
    // the first of them becomes current.
    void setRange(std::vector<int> fields, std::vector<StoreValue> key);
    void cancelRange();
    bool rangeActive() const { return m_rangeActive; }
    const std::vector<StoreValue> &RangeKey() const { return m_rangeKey; }

    // Rebuilds the visible list from the live stored records in the range; first is current.
    void rebuildVisible();
    // Reads m_cursor anew (the caller has refilled it) and rebuilds.
    void reloaded();
    void checkActive() const;
    // Posts an edit or insert that is still open.
    void checkBrowseMode();

    void notifyDataSet();
    void notifyCurrent();

    TStoreCursor m_cursor;

private:
    bool inRange(std::size_t record) const;
    void setCurrent(int index);
    void bumpChanges(int delta);
    int requireField(const QString &name) const;

    State m_state = State::Inactive;
    std::vector<std::uint32_t> m_visible; // stored record indices, in stored order
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;
    int m_changeCount = 0;
    std::vector<StoreValue> m_buffer; // the record being edited or inserted
    std::size_t m_editRecord = 0;

    bool m_rangeActive = false;
    std::vector<int> m_rangeFields;
    std::vector<StoreValue> m_rangeKey;

    int m_disableCount = 0;
    bool m_pendingDataSet = false;
    bool m_pendingCurrent = false;
};
