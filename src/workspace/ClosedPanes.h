// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SessionFile.h"

#include <QList>

#include <optional>

// The panes closed while the browser runs, for Reopen Closed Window: the last kLimit of them,
// the one closed last opened again first. The session file keeps them with the open panes.
class CClosedPanes
{
public:
    static constexpr int kLimit = 20;

    // A pane closed now; the oldest goes when the list is full. A pane without an address has
    // nothing to open again and is not kept.
    void Add(const ClosedPane& pane);
    // The pane closed last, taken from the list; none when the list is empty.
    std::optional<ClosedPane> TakeLast();
    // The list as a session file held it (the last kLimit of it), in place of the one kept.
    void Assign(const QList<ClosedPane>& panes);

    const QList<ClosedPane>& List() const { return m_panes; }
    bool IsEmpty() const { return m_panes.isEmpty(); }

    // The tab place a pane closed at nPosition (among the panes) comes back to, where nPanes
    // panes are open now: its old place, or after the last pane when fewer are open.
    static int PlaceFor(int nPosition, int nPanes);

private:
    QList<ClosedPane> m_panes; // the one closed last at the end
};
