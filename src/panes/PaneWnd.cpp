// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/PaneWnd.h"

#include "panes/HtmlPane.h"
#include "panes/PaneHost.h"
#include "panes/TextPane.h"

#include <QProgressBar>
#include <QWidget>

namespace {
const int kIdleRange = 10000;
}

CPaneWnd* CreatePane(int nKind)
{
    switch (nKind) {
    case PANE_HTML:
        return new CHtmlPane;
    case PANE_TEXT:
        return new CTextPane;
    default:
        return nullptr;
    }
}

CPaneWnd::CPaneWnd() = default;

CPaneWnd::~CPaneWnd()
{
    delete m_hWnd.data();
}

void CPaneWnd::Link(IPaneTabs* pTabCtrl, QProgressBar* pProgress, QLineEdit* pAddressEdit)
{
    m_pTabCtrl = pTabCtrl;
    m_pProgress = pProgress;
    m_hAddressEdit = pAddressEdit;
}

PaneRect CPaneWnd::BeginCreate(IPaneHost* pForm, const PaneRect& rc, bool bFavoritesShown)
{
    m_pForm = pForm;
    m_rcPane = rc;
    PaneRect rcWork = rc;
    if (!bFavoritesShown)
        rcWork.left = 0;
    return rcWork;
}

QWidget* CPaneWnd::FormWindow() const
{
    return m_pForm ? m_pForm->PaneParent() : nullptr;
}

void CPaneWnd::Activate(bool bFavoritesShown)
{
    SetFavoritesShown(bFavoritesShown);
    QWidget* pFormWnd = FormWindow();
    if (pFormWnd)
        SetParentWnd(pFormWnd);
    if (m_hWnd && pFormWnd) {
        // The pane keeps its top-left corner and reaches the form's right and bottom edges.
        const QPoint topLeft = m_hWnd->pos();
        m_hWnd->setGeometry(topLeft.x(), topLeft.y(), pFormWnd->width() - topLeft.x(),
                            pFormWnd->height() - topLeft.y());
        m_hWnd->raise();
        m_hWnd->show();
    }
    m_bActive = true;
    ShowAddress();
    if (m_pForm)
        m_pForm->SetStatusText(m_strStatusText);
}

void CPaneWnd::Deactivate()
{
    SetParentWnd(m_pForm ? m_pForm->MainWindow() : nullptr);
    m_bActive = false;
}

int CPaneWnd::GetTabIndex() const
{
    return m_pTabCtrl ? m_pTabCtrl->FindTab(this) : -1;
}

QString CPaneWnd::GetTitle() const
{
    const int nIndex = GetTabIndex();
    return nIndex == -1 ? QString() : m_pTabCtrl->GetTabTitle(nIndex);
}

void CPaneWnd::SetTitle(const QString& title)
{
    m_strPageTitle = title;
    SetLabelTitle(title);
}

void CPaneWnd::ShowLoadingTitle(const QString& text)
{
    SetLabelTitle(text);
}

void CPaneWnd::ShowPageTitle()
{
    SetLabelTitle(m_strPageTitle);
}

void CPaneWnd::SetLabelTitle(const QString& title)
{
    const int nIndex = GetTabIndex();
    if (nIndex == -1)
        return;
    // An equal title changes nothing, so the label is not redrawn for it.
    if (m_pTabCtrl->GetTabTitle(nIndex) == title)
        return;
    m_pTabCtrl->SetTabTitle(nIndex, title);
}

void CPaneWnd::SetFavoritesShown(bool bShown)
{
    if (bShown == m_bFavoritesShown)
        return;
    m_bFavoritesShown = bShown;
    MoveToPaneRect();
}

QWidget* CPaneWnd::ReparentWindow(QWidget* pParent)
{
    if (!m_hWnd)
        return nullptr;
    QWidget* pPrevious = m_hWnd->parentWidget();
    if (pPrevious != pParent) {
        m_hWnd->setParent(pParent);
        m_hWnd->hide();
    }
    return pPrevious;
}

void CPaneWnd::MoveToPaneRect()
{
    if (!m_hWnd)
        return;
    const int x = m_bFavoritesShown ? m_rcPane.left : 0;
    m_hWnd->setGeometry(x, m_rcPane.top, m_rcPane.right - x, m_rcPane.Height());
    m_hWnd->update();
}

void CPaneWnd::SetProgress(int nProgress, int nProgressMax)
{
    if (!m_pProgress)
        return;
    // A finished load, or one of unknown size, shows an empty bar.
    if (nProgressMax == 0 || nProgress == nProgressMax) {
        nProgress = 0;
        nProgressMax = kIdleRange;
    }
    // The order keeps the position inside the range at every step: a position outside the
    // range would be dropped, and a range that excludes the position resets the bar.
    if (nProgressMax < m_pProgress->maximum()) {
        m_pProgress->setValue(nProgress);
        m_pProgress->setRange(0, nProgressMax);
    } else {
        m_pProgress->setRange(0, nProgressMax);
        m_pProgress->setValue(nProgress);
    }
}

void CPaneWnd::Close()
{
    IPaneHost* pForm = m_pForm;
    if (pForm)
        pForm->OnPaneClosing(this);
    SetProgress(0, 0);
    const int nIndex = GetTabIndex();
    if (nIndex != -1)
        m_pTabCtrl->RemoveTab(nIndex);
    if (pForm)
        pForm->OnPaneClosed(nIndex);
    delete this;
}
