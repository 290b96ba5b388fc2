// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/ClosedPanes.h"

#include <QtGlobal>

void CClosedPanes::Add(const ClosedPane& pane)
{
    if (pane.address.isEmpty())
        return;
    m_panes << pane;
    if (m_panes.size() > kLimit)
        m_panes.remove(0, m_panes.size() - kLimit);
}

std::optional<ClosedPane> CClosedPanes::TakeLast()
{
    if (m_panes.isEmpty())
        return std::nullopt;
    return m_panes.takeLast();
}

void CClosedPanes::Assign(const QList<ClosedPane>& panes)
{
    m_panes.clear();
    for (const ClosedPane& pane : panes)
        Add(pane);
}

int CClosedPanes::PlaceFor(int nPosition, int nPanes)
{
    return qBound(0, nPosition, qMax(0, nPanes));
}
