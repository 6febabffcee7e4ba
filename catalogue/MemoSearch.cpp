// The find button's press.
#include "MemoSearch.h"

#include "Catalogue.h"
#include "support/MessageService.h"

MemoSearch::MemoSearch(Catalogue &catalogue, MessageService &messages)
    : m_catalogue(catalogue), m_messages(messages)
{}

bool MemoSearch::matches(int row, const QString &text, bool matchCase) const
{
    return m_catalogue.findMemo(text, matchCase, row) == row;
}

bool MemoSearch::findNext(const QString &text, bool matchCase)
{
    TStoreTable &calls = m_catalogue.CallsTbl;
    if (!calls.Active())
        return false;
    if (m_newSearch) {
        calls.First();
        m_newSearch = false;
    }
    const int rows = calls.RecordCount();
    // At the beginning of the list the row it stands on is tested first; a first row that
    // matched leaves the list at its beginning, so it is found again.
    if (rows > 0 && calls.bof() && calls.RecNo() == 1 && matches(0, text, matchCase))
        return true;
    const int found = rows > 0 ? m_catalogue.findMemo(text, matchCase, calls.RecNo()) : -1;
    if (found >= 0) {
        calls.setRecNo(found + 1);
        return true;
    }
    if (rows > 0)
        calls.Last();
    m_messages.showMessage(FinishedText);
    return false;
}
