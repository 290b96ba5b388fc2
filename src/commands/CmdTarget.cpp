// SPDX-License-Identifier: GPL-3.0-or-later
#include "CmdTarget.h"

#include <QtGlobal>

CCmdTarget::~CCmdTarget() = default;

bool CCmdTarget::Map(int nID, Handler handler, UpdateRule rule)
{
    RangeHandler range;
    if (handler)
        range = [handler = std::move(handler)](int) { handler(); };
    return MapRange(nID, nID, std::move(range), std::move(rule));
}

bool CCmdTarget::MapRange(int nFirst, int nLast, RangeHandler handler, UpdateRule rule)
{
    if (nFirst > nLast || (!handler && !rule))
        return false;
    for (const Entry& e : m_entries) {
        if (nFirst <= e.nLast && e.nFirst <= nLast) {
            qWarning("Command %d is bound twice", nFirst);
            return false;
        }
    }
    m_entries.push_back({nFirst, nLast, std::move(handler), std::move(rule)});
    return true;
}

const CCmdTarget::Entry* CCmdTarget::Find(int nID) const
{
    for (const Entry& e : m_entries)
        if (nID >= e.nFirst && nID <= e.nLast)
            return &e;
    return nullptr;
}

bool CCmdTarget::OnCmdMsg(int nID)
{
    const Entry* e = Find(nID);
    if (e == nullptr || !e->handler)
        return false;
    // A handler may bind further commands; run a copy.
    const RangeHandler handler = e->handler;
    handler(nID);
    return true;
}

bool CCmdTarget::OnUpdateCmdMsg(CCmdUI* pCmdUI)
{
    if (pCmdUI == nullptr)
        return false;
    const Entry* e = Find(pCmdUI->m_nID);
    if (e == nullptr || !e->rule)
        return false;
    const UpdateRule rule = e->rule;
    rule(pCmdUI);
    return true;
}

bool CCmdTarget::HasCommandHandler(int nID) const
{
    const Entry* e = Find(nID);
    return e != nullptr && e->handler;
}
