// SPDX-License-Identifier: GPL-3.0-or-later
// The workspace's dialog commands: Open Internet Address, History, Properties and the options
// sheet. The dialogs are modal but shown without waiting: each command continues when its
// dialog ends, and finds the workspace as it is then.
#include "workspace/NuvBrowserForm.h"

#include "commands/CmdUI.h"
#include "dialogs/DownloadsDlg.h"
#include "dialogs/HistoryDlg.h"
#include "dialogs/OpenAddressDlg.h"
#include "dialogs/PropertiesDlg.h"
#include "options/AppSettings.h"
#include "options/KeyAccelTable.h"
#include "options/NuvOptionKeyPage.h"
#include "options/NuvOptionPage.h"
#include "options/NuvOptionSheetDlg.h"
#include "panes/DownloadList.h"
#include "panes/PaneWnd.h"
#include "res/Resource.h"
#include "workspace/FrameHost.h"
#include "workspace/PaneTabCtrl.h"

#include <QFileInfo>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>

void CNuvBrowserForm::MapDialogCommands()
{
    Map(ID_FILE_OPEN, &CNuvBrowserForm::OnFileOpen);
    Map(ID_GO_HISTORY, &CNuvBrowserForm::OnGoHistory, &CNuvBrowserForm::OnUpdateGoHistory);
    Map(ID_FILE_PROPERTIES, &CNuvBrowserForm::OnFileProperties);
    Map(ID_VIEW_OPTIONS, &CNuvBrowserForm::OnViewOptions);
    Map(ID_VIEW_DOWNLOADS, &CNuvBrowserForm::OnViewDownloads);
    connect(CDownloadList::Instance(), &CDownloadList::DownloadEnded, this,
            &CNuvBrowserForm::ReportDownloadEnded);
}

void CNuvBrowserForm::OnViewDownloads()
{
    if (!m_pDownloadsDlg) {
        m_pDownloadsDlg = new CDownloadsDlg(CDownloadList::Instance(), DialogParent());
        m_pDownloadsDlg->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pDownloadsDlg->show();
    m_pDownloadsDlg->raise();
    m_pDownloadsDlg->activateWindow();
}

void CNuvBrowserForm::ReportDownloadEnded(qint64 nId)
{
    const CDownloadList::Row* pRow = CDownloadList::Instance()->Find(nId);
    if (pRow == nullptr || (m_pDownloadsDlg && m_pDownloadsDlg->isVisible()))
        return;
    const QString text =
        tr("Download of \"%1\": %2")
            .arg(QFileInfo(pRow->record.path).fileName(), CDownloadList::StateText(*pRow));
    // After the save that started it has cleared its own message.
    QTimer::singleShot(0, this, [this, text] { SetStatusText(text); });
}

QWidget* CNuvBrowserForm::DialogParent()
{
    return window();
}

void CNuvBrowserForm::OnFileOpen()
{
    auto* dlg = new COpenAddressDlg(m_settings.m_strTypedUrls, CInternetSettings::kTypedSlots,
                                    DialogParent());
    connect(dlg, &QDialog::accepted, this, [this, dlg] {
        const QString address = dlg->GetEntered();
        if (m_pActivePane == nullptr || address.isEmpty())
            return;
        CPaneWnd* pTarget = COpenAddressDlg::s_bNewWindow != 0 ? AddPane(PANE_HTML) : m_pActivePane;
        NavigatePane(pTarget, address, COpenAddressDlg::s_bNoRecord == 0);
    });
    dlg->OpenModal();
}

void CNuvBrowserForm::OnGoHistory()
{
    if (m_pActivePane == nullptr)
        return;
    auto* dlg = new CHistoryDlg(m_pActivePane->GetRecentAddresses(), DialogParent());
    connect(dlg, &QDialog::accepted, this, [this, dlg] {
        const QString address = dlg->GetSelected();
        if (m_pActivePane != nullptr && !address.isEmpty())
            NavigatePane(m_pActivePane, address, false);
    });
    dlg->OpenModal();
}

void CNuvBrowserForm::OnUpdateGoHistory(CCmdUI* pCmdUI)
{
    pCmdUI->Enable(m_pActivePane != nullptr);
}

void CNuvBrowserForm::OnFileProperties()
{
    // One question at a time: a second key press before the answer asks nothing more.
    if (m_pActivePane == nullptr || m_pPropertiesAsked)
        return;
    m_pPropertiesAsked = m_pActivePane;
    // The pane answers by continuation: with what the page said, or with what the pane
    // knows when the page gave no answer in time. A pane closed before it answered shows
    // nothing (and asks nothing any more).
    QPointer<CNuvBrowserForm> self(this);
    m_pActivePane->GetProperties([self](const PaneProperties& props) {
        if (!self)
            return;
        self->m_pPropertiesAsked = nullptr;
        // The dialog opens once the engine's callback has returned.
        QTimer::singleShot(0, self, [self, props] { self->ShowProperties(props); });
    });
}

void CNuvBrowserForm::ShowProperties(const PaneProperties& props)
{
    auto* dlg = new CPropertiesDlg(DialogParent());
    dlg->m_strTitle = props.title.value_or(QString());
    dlg->m_strProtocol = props.protocol.value_or(QString());
    dlg->m_strType = props.type.value_or(QString());
    dlg->m_strSize = props.size.value_or(QString());
    dlg->m_strModified = props.modified.value_or(QString());
    dlg->m_strAddress = props.address.value_or(QString());
    dlg->OnInitDialog();
    dlg->OpenModal();
}

void CNuvBrowserForm::OnViewOptions()
{
    auto* sheet = new CNuvOptionSheetDlg(DialogParent());
    if (m_pFrame != nullptr)
        sheet->AddPage(new CNuvOptionKeyPage(m_pFrame->GetKeyAccelTable()));
    NuvOptionSettings settings;
    settings.pViewSortFavorite = &m_pApp->ViewSortFavorite;
    settings.pViewSingleFavorite = &m_pApp->ViewSingleFavorite;
    settings.pViewTabWidthFixed = &m_pApp->ViewTabWidthFixed;
    settings.pRunLastClose = &m_pApp->RunLastClose;
    settings.pRunExitConfirm = &m_pApp->RunExitConfirm;
    settings.pRunRestoreSession = &m_pApp->RunRestoreSession;
    settings.pRunFreezeHidden = &m_pApp->RunFreezeHidden;
    settings.pRunDiscardHidden = &m_pApp->RunDiscardHidden;
    settings.pViewColorScheme = &m_pApp->ViewColorScheme;
    settings.pSpellCheck = &m_pApp->SpellCheck;
    sheet->AddPage(new CNuvOptionPage(settings));

    // The frame is asked again when the sheet ends: the form, the context of this
    // continuation, goes with its frame.
    connect(sheet, &QDialog::finished, this, [this](int nResult) {
        CKeyAccelTable* pTable = m_pFrame ? m_pFrame->GetKeyAccelTable() : nullptr;
        if (nResult != QDialog::Accepted) {
            // The page's edits are dropped: the table is read again as it was stored.
            if (pTable)
                pTable->LoadTable();
            return;
        }
        if (pTable) {
            pTable->SaveTable();
            pTable->BuildAccelerators();
            pTable->DecorateMenu(m_pFrame->GetMenuBar());
        }
        m_tabPanes->SetAutoWidth(m_pApp->ViewTabWidthFixed != 0);
        UpdateCloseButton();
    });
    sheet->OpenModal();
}
