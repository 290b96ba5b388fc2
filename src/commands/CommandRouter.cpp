// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandRouter.h"

#include "CmdTarget.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

void CCommandRouter::AddTarget(TargetSource source)
{
    if (source)
        m_sources.push_back(std::move(source));
}

std::vector<CCmdTarget*> CCommandRouter::Targets() const
{
    std::vector<CCmdTarget*> targets;
    for (const TargetSource& source : m_sources)
        if (CCmdTarget* target = source())
            targets.push_back(target);
    return targets;
}

bool CCommandRouter::HasHandler(int nID) const
{
    for (CCmdTarget* target : Targets())
        if (target->HasCommandHandler(nID))
            return true;
    return false;
}

bool CCommandRouter::DoUpdate(CCmdUI* pCmdUI) const
{
    for (CCmdTarget* target : Targets())
        if (target->OnUpdateCmdMsg(pCmdUI))
            return true;
    return false;
}

bool CCommandRouter::IsEnabled(int nID) const
{
    CCmdUI state(nID);
    DoUpdate(&state);
    return state.IsEnabled(HasHandler(nID));
}

bool CCommandRouter::Execute(int nID) const
{
    if (nID <= 0)
        return false;
    // A command that its rule has disabled since the menu or button was shown does not run.
    CCmdUI state(nID);
    DoUpdate(&state);
    if (state.m_bEnableChanged && !state.m_bEnabled)
        return false;
    for (CCmdTarget* target : Targets())
        if (target->OnCmdMsg(nID))
            return true;
    return false;
}

void CCommandRouter::UpdateAction(QAction* pAction) const
{
    const int nID = CommandId(pAction);
    if (nID <= 0)
        return;
    CCmdUI state(nID);
    DoUpdate(&state);
    state.ApplyTo(pAction, HasHandler(nID));
}

void CCommandRouter::UpdateActions(const QList<QAction*>& actions) const
{
    for (QAction* action : actions)
        UpdateAction(action);
}

void CCommandRouter::AttachMenu(QMenu* pMenu) const
{
    if (pMenu == nullptr)
        return;
    QObject::connect(pMenu, &QMenu::aboutToShow, pMenu,
                     [this, pMenu] { UpdateActions(pMenu->actions()); });
}

int CCommandRouter::CommandId(const QAction* pAction)
{
    if (pAction == nullptr || pAction->isSeparator() || pAction->menu() != nullptr)
        return 0;
    bool ok = false;
    const int nID = pAction->data().toInt(&ok);
    return ok ? nID : 0;
}

void CCommandRouter::SetCommandId(QAction* pAction, int nID)
{
    if (pAction != nullptr)
        pAction->setData(nID);
}

QAction* CCommandRouter::FindMenuItem(const QWidget* pMenu, int nID)
{
    if (pMenu == nullptr || nID <= 0)
        return nullptr;
    for (QAction* action : pMenu->actions()) {
        if (QMenu* sub = action->menu()) {
            if (QAction* found = FindMenuItem(sub, nID))
                return found;
        } else if (CommandId(action) == nID) {
            return action;
        }
    }
    return nullptr;
}
