// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dialogs/NuvDialog.h"

class QTabWidget;

// "nuvBrowser Options": the options pages as tabs, the first added shown first, with OK and
// Cancel. What OK and Cancel do to the pages' data is the caller's.
class CNuvOptionSheetDlg : public CNuvDialog
{
    Q_OBJECT
public:
    explicit CNuvOptionSheetDlg(QWidget* pParent);

    // Adds a page as the last tab, titled with the page's window title.
    void AddPage(QWidget* pPage);
    QTabWidget* Pages() const { return m_tabs; }

private:
    QTabWidget* m_tabs = nullptr;
};
