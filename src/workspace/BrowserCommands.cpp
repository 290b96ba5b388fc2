// SPDX-License-Identifier: GPL-3.0-or-later
// The browser commands of the workspace: they act on the active pane (or, for the edit
// commands, on the address field when it has the focus), and the switches of the platform
// browser's settings.
#include "workspace/NuvBrowserForm.h"

#include "commands/CmdUI.h"
#include "panes/PaneWnd.h"
#include "panes/TextPane.h"
#include "res/Resource.h"
#include "workspace/FrameHost.h"
#include "workspace/InternetOptionsCommand.h"
#include "workspace/OfflineCommand.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>

namespace {
// The text size level of a text size command: 32788 is the largest (5), 32792 the smallest.
int TextSizeLevel(int nID)
{
    return ID_VIEW_TEXT_SMALLEST - nID + 1;
}
} // namespace

void CNuvBrowserForm::MapBrowserCommands()
{
    // Commands that apply one pane operation to the active pane.
    const struct
    {
        int nID;
        void (CPaneWnd::*pfn)();
    } paneCommands[] = {
        {ID_GO_BACK, &CPaneWnd::GoBack},
        {ID_GO_FORWARD, &CPaneWnd::GoForward},
        {ID_GO_HOME, &CPaneWnd::GoHome},
        {ID_GO_SEARCH, &CPaneWnd::GoSearch},
        {ID_VIEW_STOP, &CPaneWnd::Stop},
        {ID_VIEW_REFRESH, &CPaneWnd::Refresh},
        {ID_EDIT_SELECT_ALL, &CPaneWnd::SelectAll},
        {ID_EDIT_FIND, &CPaneWnd::Find},
        {ID_FILE_PRINT, &CPaneWnd::Print},
    };
    for (const auto& c : paneCommands) {
        const auto pfn = c.pfn;
        UpdateRule rule;
        if (c.nID == ID_GO_BACK || c.nID == ID_GO_FORWARD) {
            const bool bBack = c.nID == ID_GO_BACK;
            // Without a pane there is no history: a page that closed itself leaves nothing
            // to go back to.
            rule = [this, bBack](CCmdUI* pCmdUI) {
                pCmdUI->Enable(m_pActivePane && (bBack ? m_pActivePane->CanGoBack()
                                                       : m_pActivePane->CanGoForward()));
            };
        }
        Map(
            c.nID,
            [this, pfn] {
                if (m_pActivePane)
                    (m_pActivePane->*pfn)();
            },
            rule);
    }

    Map(ID_GO_HPC_WEB, [this] { NavigatePane(m_pActivePane, m_settings.m_strHomePage, false); });

    for (int nID : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        Map(
            nID, [this, nID] { OnEditCommand(nID); },
            [this](CCmdUI* pCmdUI) { OnUpdateEditCommand(pCmdUI); });

    const auto setTextSize = [this](int nLevel) {
        m_settings.m_nTextSize = nLevel;
        if (m_pActivePane)
            m_pActivePane->SetTextSize(nLevel);
    };
    MapRange(
        ID_VIEW_TEXT_LARGEST, ID_VIEW_TEXT_SMALLEST,
        [setTextSize](int nID) { setTextSize(TextSizeLevel(nID)); },
        [this](CCmdUI* pCmdUI) {
            const int nLevel = m_pActivePane ? m_pActivePane->UpdateTextSize() : 0;
            pCmdUI->SetRadio(nLevel == TextSizeLevel(pCmdUI->m_nID));
        });

    // Ctrl with plus or minus, or with the wheel: one level from the page's own, at most to
    // the largest or smallest.
    for (const int nStep : {1, -1})
        Map(nStep > 0 ? ID_VIEW_TEXT_STEP_LARGER : ID_VIEW_TEXT_STEP_SMALLER,
            [this, setTextSize, nStep] {
                const int nNow = m_pActivePane ? m_pActivePane->UpdateTextSize() : 0;
                const int nFrom = nNow >= 1 ? nNow : m_settings.m_nTextSize;
                setTextSize(qBound(1, nFrom + nStep, TextSizeLevel(ID_VIEW_TEXT_LARGEST)));
            });

    Map(
        ID_FILE_WORK_OFFLINE, [] { ToggleWorkOffline(); },
        [](CCmdUI* pCmdUI) { pCmdUI->SetCheck(IsWorkOfflineChecked() ? 1 : 0); });
    Map(ID_VIEW_INTERNET_OPTIONS, [this] { RunInternetOptions(this, m_settings, AddressCombo()); });
    Map(
        ID_VIEW_SOURCE, [this] { OnViewSource(); },
        [this](CCmdUI* pCmdUI) {
            pCmdUI->Enable(m_pActivePane && m_pActivePane->GetPaneKind() == PANE_HTML);
        });

    const struct
    {
        int nID;
        const char* name;
        const char* value;
    } switches[] = {
        {ID_IMAGES_ON, "Display Inline Images", "yes"},
        {ID_IMAGES_OFF, "Display Inline Images", "no"},
        {ID_SOUND_ON, "Play_Background_Sounds", "yes"},
        {ID_SOUND_OFF, "Play_Background_Sounds", "no"},
    };
    for (const auto& s : switches) {
        const QString name = QString::fromLatin1(s.name);
        const QString value = QString::fromLatin1(s.value);
        Map(s.nID, [name, value] { CInternetSettings::WriteBrowserMainValue(name, value); });
    }
}

QLineEdit* CNuvBrowserForm::FocusedAddressEdit(bool* pbNoFocus) const
{
    QWidget* pFocus = QApplication::focusWidget();
    *pbNoFocus = pFocus == nullptr || m_pFrame == nullptr;
    QLineEdit* pEdit = *pbNoFocus ? nullptr : m_pFrame->GetAddressEdit();
    if (pEdit == nullptr)
        return nullptr;
    // The combo box is the edit field's focus proxy: the application reports the combo box
    // while the user types into the field.
    if (pFocus != pEdit && pFocus != m_pFrame->GetAddressCombo())
        return nullptr;
    return pEdit;
}

void CNuvBrowserForm::OnEditCommand(int nID)
{
    bool bNoFocus = false;
    if (QLineEdit* pEdit = FocusedAddressEdit(&bNoFocus)) {
        if (nID == ID_EDIT_CUT)
            pEdit->cut();
        else if (nID == ID_EDIT_COPY)
            pEdit->copy();
        else
            pEdit->paste();
        return;
    }
    if (bNoFocus || m_pActivePane == nullptr)
        return;
    if (nID == ID_EDIT_CUT)
        m_pActivePane->Cut();
    else if (nID == ID_EDIT_COPY)
        m_pActivePane->Copy();
    else
        m_pActivePane->Paste();
}

void CNuvBrowserForm::OnUpdateEditCommand(CCmdUI* pCmdUI)
{
    bool bNoFocus = false;
    if (QLineEdit* pEdit = FocusedAddressEdit(&bNoFocus)) {
        if (pCmdUI->m_nID == ID_EDIT_PASTE) {
            const QMimeData* pData = QApplication::clipboard()->mimeData();
            pCmdUI->Enable(pData && pData->hasText());
        } else {
            // A selection counts from two characters on.
            pCmdUI->Enable(pEdit->selectedText().size() > 1);
        }
        return;
    }
    if (bNoFocus || m_pActivePane == nullptr)
        return;
    const int nCommand = pCmdUI->m_nID == ID_EDIT_CUT    ? 11
                         : pCmdUI->m_nID == ID_EDIT_COPY ? 12
                                                         : 13;
    pCmdUI->Enable(m_pActivePane->IsCommandEnabled(nCommand));
}

void CNuvBrowserForm::OnViewSource()
{
    CPaneWnd* pSource = m_pActivePane;
    if (pSource == nullptr)
        return;
    CPaneWnd* pText = AddPane(PANE_TEXT);
    if (pText == nullptr)
        return;
    pText->SetTitle(QStringLiteral("Source"));
    if (auto* pTextPane = qobject_cast<CTextPane*>(pText))
        pTextPane->SetSourceAddress(pSource->GetAddress());
    // The markup arrives a moment later; the text pane may be closed by then.
    QPointer<CPaneWnd> guard(pText);
    pSource->GetSource([guard](bool bOk, const QString& text) {
        if (guard)
            guard->SetText(bOk ? text : QString());
    });
}
