// SPDX-License-Identifier: GPL-3.0-or-later
#include "NuvOptionSheetDlg.h"

#include "res/Resource.h"
#include "res/Resources.h"

#include <QTabWidget>
#include <QVBoxLayout>

CNuvOptionSheetDlg::CNuvOptionSheetDlg(QWidget* pParent) : CNuvDialog(pParent)
{
    setWindowTitle(LoadString(IDS_OPTIONS_CAPTION));
    m_tabs = new QTabWidget(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(CreateButtons(true));
}

void CNuvOptionSheetDlg::AddPage(QWidget* pPage)
{
    m_tabs->addTab(pPage, pPage->windowTitle());
    m_tabs->setCurrentIndex(0);
    // The sheet opens with the focus on the first page's first control.
    if (m_tabs->count() == 1)
        pPage->setFocus();
}
