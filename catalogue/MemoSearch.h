// Searching the memos of the list downwards, one press of the find button at a time: a new
// search starts at the first row, a press tests the row it stands on only at the beginning of
// the list, and a search that runs off the end says so and leaves the last row current.
#pragma once

#include <QString>

class Catalogue;
class MessageService;

class MemoSearch final
{
public:
    static inline const QString FinishedText =
        QStringLiteral("            Search finished            ");

    MemoSearch(Catalogue &catalogue, MessageService &messages);

    // The find dialog opened (the next press starts from the first row) or closed.
    void dialogShown() { m_newSearch = true; }
    void dialogClosed() { m_newSearch = false; }
    bool isNewSearch() const { return m_newSearch; }

    // One press of the find button. A match becomes the current row; true when one was found.
    bool findNext(const QString &text, bool matchCase);

private:
    bool matches(int row, const QString &text, bool matchCase) const;

    Catalogue &m_catalogue;
    MessageService &m_messages;
    bool m_newSearch = false;
};
