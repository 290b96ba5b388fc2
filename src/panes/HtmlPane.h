// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"
#include "panes/PaneWnd.h"

#include <QMetaObject>
#include <QPointer>
#include <QStringList>

// The pane that shows web pages: it hosts one browser control as its window, turns the pane
// operations into control calls and keeps what the control's events report: address, tab
// title and image, status text, history state and the recent-address list. It applies the
// navigation policy and drives the shared progress bar.
class CLinkOverlay;
class CPageNote;

class CHtmlPane : public CPaneWnd, public IBrowserEvents
{
    Q_OBJECT
public:
    static constexpr int kRecentCount = 10;
    static constexpr int kIdleImage = 5; // tab image of an idle pane; 0..4 while loading

    CHtmlPane();
    ~CHtmlPane() override;

    // The tab title of a page that has no title of its own: its address, or the file name
    // of a document of the file system.
    static QString AddressLabel(const QString& address);

    bool Create(IPaneHost* pForm, const PaneRect& rc, IBrowserControl** ppDisp,
                bool bFavoritesShown, bool bActivate) override;
    int GetPaneKind() const override { return PANE_HTML; }
    bool Navigate(const QString& address, bool bRecordTyped, bool bActivate) override;
    void GetSaveInfo(SaveInfoDone done) override;
    void SaveAddressToFile(const QString& address, const QString& path, SaveDone done) override;
    void SaveDocument(const QString& path, SaveDone done) override;
    void Copy() override;
    void Cut() override;
    void Find() override;
    void Paste() override;
    void SelectAll() override;
    void Print() override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Stop() override;
    void Refresh() override;
    bool IsCommandEnabled(int nCommand) const override;
    bool OwnsWindow(const QWidget* pWnd) const override;
    bool IsEditingText() const override;
    void InspectAt(const QPoint& ptScreen, InspectDone done) override;
    void GetFocusRect(FocusDone done) override;
    bool CanGoBack() const override { return m_bCanGoBack; }
    bool CanGoForward() const override { return m_bCanGoForward; }
    void SetHeight(int cy) override;
    void SetLeft(int x) override;
    QString GetAddress() const override { return m_strAddress; }
    QString GetLinkAddress() const override { return m_strLinkAddress; }
    QString GetImageAddress() const override { return m_strImageAddress; }
    QString GetMisspelledWord() const override { return m_strMisspelledWord; }
    QStringList GetSpellingSuggestions() const override { return m_spellingSuggestions; }
    int UpdateTextSize() override;
    int SetTextSize(int nLevel) override;
    bool GetSelectedText(QString* pText) const override;
    QStringList GetRecentAddresses() const override;
    void GetProperties(PropertiesDone done) override;
    QWidget* SetParentWnd(QWidget* pParent) override;
    void ShowAddress() override;
    void GetSource(SourceDone done) override;
    void SetText(const QString&) override {}
    QByteArray SaveHistory() const override;
    bool NavigateWithHistory(const QByteArray& history, const QString& address,
                             bool bActivate) override;

    // The control; null when there is none.
    IBrowserControl* Browser() const { return m_pBrowser; }
    bool IsNavigating() const { return m_bNavigating; }
    int TabImage() const { return m_nTabImage; }

    // Events of the control.
    void OnStatusTextChange(const QString& text) override;
    void OnCommandStateChange(int nCommand, int nEnable) override;
    void OnProgressChange(int nProgress, int nProgressMax) override;
    void OnTitleChange(const QString& text, bool bAddress) override;
    void OnBeforeNavigate2(const BrowserNavigation& nav, bool* pbCancel) override;
    void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                      BrowserWindowRequest request) override;
    void OnQuit() override;
    void OnDocumentComplete(const QString& address) override;
    // The tab is greyed while the page sleeps.
    void OnSleepChange(BrowserSleep state) override;

private:
    // Starts a load with the control (false: nothing started) and shows the pane loading.
    bool StartLoad(const std::function<bool()>& start, bool bActivate);
    void UpdateTabImage(int nProgress, int nProgressMax);
    void AddRecentAddress(const QString& address);
    // Follows the typed load through the requests the page asks about.
    void FollowTypedLoad(const BrowserNavigation& nav, bool bAllowed);
    // The typed load ended (recorded, replaced or gone elsewhere): nothing is recorded for it.
    void ForgetTypedLoad();
    void ExecCommand(int nCmdID, int nCmdExecOpt);
    // The control's answer to a save into path: shows the note over the page while the save
    // runs, and tells a save the user stopped from one that failed.
    IBrowserControl::ResultDone FollowSave(const QString& path, SaveDone done);
    void ShowSaveNote();

    IBrowserControl* m_pBrowser = nullptr;
    QPointer<CLinkOverlay> m_pLinkOverlay; // a child of the control's window, made when needed
    QPointer<CPageNote> m_pSaveNote;       // likewise
    QStringList m_runningSaves;            // the file names of the saves that run, oldest first
    int m_nStops = 0;                      // how often Stop was asked for
    QMetaObject::Connection m_connBrowserGone;
    bool m_bNavigating = true;
    // The load that Enter in the address field started: the address of the page it arrives
    // at goes to the typed-address list. Until its own request comes (the first the page asks
    // about afterwards), another load's page may still report its address; then the
    // addresses it may arrive at are known: as typed, as requested, where the server sent it.
    bool m_bTypedRequestDue = false;
    QStringList m_typedLoadAddresses;
    int m_nTabImage = -1;
    QString m_strAddress;
    bool m_bCanGoBack = false;
    bool m_bCanGoForward = false;
    int m_nPendingNavState = 0;
    int m_nTextSize = 3;
    QString m_strLinkAddress;
    QString m_strImageAddress;
    QString m_strMisspelledWord;
    QStringList m_spellingSuggestions;
    QString m_strRecent[kRecentCount];
    // The page's own title (empty while it has none) and whether its visit was reported.
    QString m_strPageTitle;
    bool m_bVisitReported = false;
    bool m_bQuitPending = false;
};
