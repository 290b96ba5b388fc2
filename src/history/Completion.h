// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "history/HistoryDb.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// One row of the address field's completion list.
enum class ECompletionKind
{
    Typed,
    Favorite,
    History,
};

struct CompletionRow
{
    ECompletionKind kind = ECompletionKind::History;
    QString title;
    QString address;

    bool operator==(const CompletionRow&) const = default;
};

// The rows offered for what is typed: the typed addresses holding the text (newest first),
// then the favorites whose name or address holds it (in the tree's order), then the history
// entries as they come (most visited, then most recent, first); an address offered once, at
// its best place; at most nMax rows. Matching ignores case; the text is trimmed first and an
// empty text offers nothing. A typed address takes its title from a favorite or history entry
// of the same address.
QList<CompletionRow> RankCompletions(const QString& text, const QStringList& typedNewestFirst,
                                     const QList<CompletionRow>& favorites,
                                     const QList<HistoryEntry>& history, int nMax = 12);

// The text as rich text with every occurrence of `match` (ignoring case) in bold; the rest
// escaped, so a page's title never becomes markup.
QString BoldMatches(const QString& text, const QString& match);

// Where the address field's completions come from: the workspace, which holds the typed
// list, the favorites and the history.
class ICompletionSource
{
public:
    using CompletionsDone = std::function<void(const QList<CompletionRow>&)>;
    // done is called once, later, on the caller's thread (maybe with rows for an older text
    // when the caller asks faster than the answers come: it compares the text).
    virtual void QueryCompletions(const QString& text, CompletionsDone done) = 0;
    // Shift+Delete on a row: the history entry of its address, and the typed address of the
    // same text, go for good. Favorites stay.
    virtual void RemoveCompletion(const CompletionRow& row) = 0;

protected:
    ~ICompletionSource() = default;
};
