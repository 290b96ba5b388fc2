// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CmdUI.h"

#include <QList>

#include <functional>
#include <vector>

class CCmdTarget;
class QAction;
class QMenu;
class QWidget;

// Routes commands through an ordered list of command targets (the active view, the frame, the
// application). A command's update rule is the first rule found along the route; its handler
// is the first handler found. Menu items and tool bar buttons are QActions that carry their
// command id.
class CCommandRouter
{
public:
    using TargetSource = std::function<CCmdTarget*()>;

    // Appends a target to the route; the source is asked each time (it may return null).
    void AddTarget(TargetSource source);

    bool HasHandler(int nID) const;
    // Runs the first update rule along the route; false when there is none.
    bool DoUpdate(CCmdUI* pCmdUI) const;
    bool IsEnabled(int nID) const;
    // Runs the command when its update rule leaves it enabled and some target handles it;
    // true when a handler ran.
    bool Execute(int nID) const;

    // Evaluates the rules of these actions and shows the results on them.
    void UpdateAction(QAction* pAction) const;
    void UpdateActions(const QList<QAction*>& actions) const;
    // Evaluates a popup menu's rules each time it opens.
    void AttachMenu(QMenu* pMenu) const;

    // The id a QAction carries; 0 for actions without one (separators, sub-menus).
    static int CommandId(const QAction* pAction);
    static void SetCommandId(QAction* pAction, int nID);
    // The first item with the command id in a menu bar or menu, searched through the sub-menus.
    static QAction* FindMenuItem(const QWidget* pMenu, int nID);

private:
    std::vector<CCmdTarget*> Targets() const;

    std::vector<TargetSource> m_sources;
};
