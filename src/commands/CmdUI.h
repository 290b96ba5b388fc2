// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;
class QWidget;

// What an update rule decides about one command at one place: a menu item, a tool bar button,
// a key about to run the command, or a button of the workspace. The rule calls Enable,
// SetCheck or SetRadio; what it leaves alone stays as it was, except that an item whose
// enabled state no rule sets is enabled exactly when some target handles the command.
class CCmdUI
{
public:
    explicit CCmdUI(int nID) : m_nID(nID) {}

    void Enable(bool bOn = true);
    void SetCheck(int nCheck = 1); // 0 clear, 1 checked
    void SetRadio(bool bOn = true);

    // The enabled state that results for a command with or without a handler.
    bool IsEnabled(bool bHasHandler) const { return m_bEnableChanged ? m_bEnabled : bHasHandler; }

    // Shows the result on a menu item or tool bar button, or on a button widget.
    void ApplyTo(QAction* pAction, bool bHasHandler) const;
    void ApplyTo(QWidget* pWidget, bool bHasHandler) const;

    const int m_nID;
    bool m_bEnableChanged = false;
    bool m_bEnabled = false;
    bool m_bCheckChanged = false;
    int m_nCheck = 0;
    bool m_bRadio = false;
};
