// SPDX-License-Identifier: GPL-3.0-or-later
#include "CmdUI.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QWidget>

void CCmdUI::Enable(bool bOn)
{
    m_bEnableChanged = true;
    m_bEnabled = bOn;
}

void CCmdUI::SetCheck(int nCheck)
{
    m_bCheckChanged = true;
    m_nCheck = nCheck;
    m_bRadio = false;
}

void CCmdUI::SetRadio(bool bOn)
{
    m_bCheckChanged = true;
    m_nCheck = bOn ? 1 : 0;
    m_bRadio = true;
}

void CCmdUI::ApplyTo(QAction* pAction, bool bHasHandler) const
{
    if (pAction == nullptr)
        return;
    pAction->setEnabled(IsEnabled(bHasHandler));
    if (!m_bCheckChanged)
        return;
    if (m_bRadio && pAction->actionGroup() == nullptr) {
        // Menus draw the round mark only for actions of an exclusive group; one group per
        // item keeps the marks exactly as the rules set them.
        auto* group = new QActionGroup(pAction);
        group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
        group->addAction(pAction);
    }
    pAction->setCheckable(true);
    pAction->setChecked(m_nCheck != 0);
}

void CCmdUI::ApplyTo(QWidget* pWidget, bool bHasHandler) const
{
    if (pWidget == nullptr)
        return;
    pWidget->setEnabled(IsEnabled(bHasHandler));
    if (m_bCheckChanged)
        if (auto* button = qobject_cast<QAbstractButton*>(pWidget); button && button->isCheckable())
            button->setChecked(m_nCheck != 0);
}
