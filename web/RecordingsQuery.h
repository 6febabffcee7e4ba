// What the web page reads from the catalogue: the folders as a tree, and a page of a folder's
// recordings, searched by memo and sorted. Rows are read from the table's storage, so that
// the folder shown to anyone else (and the folder new recordings go to) never moves. The sort
// keys are made once and kept until the rows change; each date and time text is parsed once
// in the program's run.
#pragma once

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <optional>
#include <string_view>
#include <vector>

class Catalogue;

struct ListRequest
{
    enum class Sort
    {
        Date,
        Duration,
        Memo
    };
    QString folder; // a folder's code; empty: every folder
    QString search; // memo text, any letter case; empty: every row
    Sort sort = Sort::Date;
    bool descending = true;
    int offset = 0;
    int limit = 50;

    static constexpr int MaxLimit = 500;
    static constexpr int MaxSearchLength = 255;
};

class RecordingsQuery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RecordingsQuery)

public:
    explicit RecordingsQuery(Catalogue &catalogue, QObject *parent = nullptr);

    // Makes the sort keys now: the first list after the server starts would otherwise wait
    // while every date and time text is parsed.
    void prepare() { buildKeys(); }
    // {"total": rows matching, "offset", "rows": [{id, folder, date, time, duration, seconds,
    // memo, ended, endedText, silent}]}.
    QJsonObject list(const ListRequest &request);
    // [{id, name, level}] in the tree's order; folders the tree lacks come last at level 0.
    QJsonArray folders() const;
    // The recording's file (in the recordings folder or an earlier one), empty when the code
    // names no row; the file itself may be missing.
    QString filePath(const QString &id) const;
    bool exists(const QString &id) const { return storedIndex(id).has_value(); }
    // The stored record index of the live row with this code.
    std::optional<std::size_t> storedIndex(const QString &id) const;

private:
    void buildKeys();
    QString text(std::size_t record, int field) const;
    qint64 dayOf(std::string_view text); // the Julian day; 0 when unreadable
    qint64 msOf(std::string_view text);  // since midnight; 0 when unreadable

    Catalogue &m_catalogue;
    bool m_keysValid = false;
    std::vector<qint64> m_dateKeys; // by stored record: the start in ms since the epoch of days
    QHash<QByteArray, qint64> m_days, m_times;
    std::vector<int> m_seconds; // by stored record: the duration in seconds
};
