// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/TextPane.h"

#include "panes/BrowserControl.h"
#include "panes/PaneHost.h"

#include <QPlainTextEdit>

CTextPane::CTextPane() = default;

CTextPane::~CTextPane() = default; // the edit control is the pane's window

bool CTextPane::Create(IPaneHost* pForm, const PaneRect& rc, IBrowserControl**,
                       bool bFavoritesShown, bool bActivate)
{
    const PaneRect rcWork = BeginCreate(pForm, rc, bFavoritesShown);
    m_edit = new QPlainTextEdit(FormWindow());
    m_edit->setReadOnly(true);
    m_edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_edit->setFocusPolicy(Qt::StrongFocus);
    // No menu of the text control's own: its stock items name keys that mean other commands
    // here (Ctrl+A is Focus to Favorites), and a right press on the pane opens nothing else.
    m_edit->setContextMenuPolicy(Qt::PreventContextMenu);
    m_edit->setGeometry(rcWork.left, rcWork.top, rcWork.Width(), rcWork.Height());
    m_hWnd = m_edit.data();
    // Unlike an HTML pane, a text pane made behind the others is parked by the workspace.
    m_edit->show();
    if (bActivate)
        m_edit->raise();
    return true;
}

void CTextPane::GetSaveInfo(SaveInfoDone done)
{
    PaneSaveInfo info;
    info.bOk = true;
    info.type = QStringLiteral(".TXT");
    done(info);
}

void CTextPane::SaveAddressToFile(const QString&, const QString&, SaveDone done)
{
    done(SaveResult::Failed);
}

void CTextPane::SaveDocument(const QString&, SaveDone done)
{
    done(SaveResult::Failed);
}

void CTextPane::Copy()
{
    if (m_edit)
        m_edit->copy();
}

bool CTextPane::IsCommandEnabled(int nCommand) const
{
    // Copy counts only for a selection of two characters or more.
    if (nCommand != OLECMDID_COPY || !m_edit)
        return false;
    const QTextCursor cursor = m_edit->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart() > 1;
}

void CTextPane::SetHeight(int cy)
{
    m_rcPane.bottom = m_rcPane.top + cy;
}

void CTextPane::SetLeft(int x)
{
    const int nLeft = x + 5;
    if (nLeft == m_rcPane.left)
        return;
    m_rcPane.left = nLeft;
    if (m_edit) {
        m_edit->setGeometry(nLeft, m_rcPane.top, m_rcPane.right - nLeft, m_rcPane.Height());
        m_edit->update();
    }
}

void CTextPane::GetProperties(PropertiesDone done)
{
    done(PaneProperties());
}

QWidget* CTextPane::SetParentWnd(QWidget* pParent)
{
    return ReparentWindow(pParent);
}

void CTextPane::SetSourceAddress(const QString& address)
{
    m_strSourceAddress = address;
    ShowAddress();
}

void CTextPane::ShowAddress()
{
    if (m_bActive && m_hAddressEdit)
        m_hAddressEdit->setText(m_strSourceAddress);
}

void CTextPane::GetSource(SourceDone done)
{
    done(false, QString());
}

void CTextPane::SetText(const QString& text)
{
    if (m_edit)
        m_edit->setPlainText(text);
    const int nTab = GetTabIndex();
    if (nTab != -1)
        m_pTabCtrl->SetTabImage(nTab, kTextImage);
}
