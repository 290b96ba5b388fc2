// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/HtmlPane.h"

#include "panes/BrowserControlFactory.h"
#include "panes/LinkOverlay.h"
#include "panes/NavigationPolicy.h"
#include "panes/PageInspection.h"
#include "panes/PageNote.h"
#include "panes/PaneContinuation.h"
#include "panes/PaneHost.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace {
const int kProgressRange = 10000;

// Shows the busy cursor (the program stays usable) for as long as the object lives.
class CWaitCursor : public QObject
{
public:
    explicit CWaitCursor(QObject* pParent) : QObject(pParent)
    {
        QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    }
    ~CWaitCursor() override { QGuiApplication::restoreOverrideCursor(); }
};

QString WithoutFragment(const QString& address)
{
    const qsizetype nHash = address.indexOf(QLatin1Char('#'));
    return nHash > 0 ? address.left(nHash) : address;
}

bool IsAddressTitle(const QString& text)
{
    return text.startsWith(QLatin1String("http:"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("about:"), Qt::CaseInsensitive) ||
           text.startsWith(QLatin1String("https:"), Qt::CaseInsensitive);
}
} // namespace

QString CHtmlPane::AddressLabel(const QString& address)
{
    // A document of the file system is known by its file name, as in a file manager.
    const QUrl url(address);
    if (url.isLocalFile() && !url.fileName().isEmpty())
        return url.fileName();
    return address;
}

CHtmlPane::CHtmlPane() = default;

CHtmlPane::~CHtmlPane()
{
    QObject::disconnect(m_connBrowserGone);
    if (m_pBrowser)
        m_pBrowser->SetEventSink(nullptr);
    m_pBrowser = nullptr;
    // The control ends with its window.
    delete m_hWnd.data();
}

bool CHtmlPane::Create(IPaneHost* pForm, const PaneRect& rc, IBrowserControl** ppDisp,
                       bool bFavoritesShown, bool bActivate)
{
    const PaneRect rcWork = BeginCreate(pForm, rc, bFavoritesShown);
    IBrowserControl* pBrowser = CBrowserControlFactory::Create(FormWindow());
    if (!pBrowser)
        return false;
    QWidget* pWnd = pBrowser->Widget();
    m_hWnd = pWnd;
    pWnd->setGeometry(rcWork.left, rcWork.top, rcWork.Width(), rcWork.Height());
    pWnd->show();
    if (bActivate)
        pWnd->raise();
    else
        SetParentWnd(pForm ? pForm->MainWindow() : nullptr);

    m_pBrowser = pBrowser;
    m_connBrowserGone = connect(pWnd, &QObject::destroyed, this, [this] { m_pBrowser = nullptr; });
    pBrowser->SetEventSink(this);
    if (ppDisp)
        *ppDisp = pBrowser;
    return true;
}

bool CHtmlPane::Navigate(const QString& address, bool bRecordTyped, bool bActivate)
{
    ForgetTypedLoad();
    if (bRecordTyped) {
        m_bTypedRequestDue = true;
        m_typedLoadAddresses << WithoutFragment(address);
    }
    if (StartLoad([&] { return m_pBrowser->Navigate2(address); }, bActivate))
        return true;
    ForgetTypedLoad();
    return false;
}

QByteArray CHtmlPane::SaveHistory() const
{
    return m_pBrowser ? m_pBrowser->SaveHistory() : QByteArray();
}

bool CHtmlPane::NavigateWithHistory(const QByteArray& history, const QString& address,
                                    bool bActivate)
{
    ForgetTypedLoad();
    return StartLoad(
        [&] {
            return (!history.isEmpty() && m_pBrowser->RestoreHistory(history)) ||
                   m_pBrowser->Navigate2(address);
        },
        bActivate);
}

bool CHtmlPane::StartLoad(const std::function<bool()>& start, bool bActivate)
{
    if (!m_pBrowser)
        return false;
    m_bNavigating = true;
    OnProgressChange(1, kProgressRange);
    if (!start()) {
        // Nothing started: the pane is idle, not loading, and shows what it showed.
        m_bNavigating = false;
        OnProgressChange(0, kProgressRange);
        ShowPageTitle();
        return false;
    }
    m_nTabImage = -1;
    OnProgressChange(0, kProgressRange);
    if (bActivate) {
        const int nTab = GetTabIndex();
        if (m_pTabCtrl && nTab != -1)
            m_pTabCtrl->SetCurSel(nTab);
        Activate(m_bFavoritesShown);
    }
    return true;
}

void CHtmlPane::GetSaveInfo(SaveInfoDone done)
{
    if (!m_pBrowser) {
        done(PaneSaveInfo());
        return;
    }
    m_pBrowser->QueryDocumentInfo(GuardContinuation<const BrowserDocumentInfo&>(
        this, QueryTimeout(), [done](const BrowserDocumentInfo& info) {
            PaneSaveInfo result;
            result.address = info.url.value_or(QString());
            result.type = info.mimeType.value_or(QString());
            result.bOk = info.url.has_value() || info.mimeType.has_value();
            done(result);
        }));
}

void CHtmlPane::SaveAddressToFile(const QString& address, const QString& path, SaveDone done)
{
    if (!m_pBrowser) {
        done(SaveResult::Failed);
        return;
    }
    // A download takes as long as it keeps receiving (Stop cancels it): no time limit, but
    // the busy cursor shows until it ends or the pane goes.
    QPointer<CWaitCursor> pWait = new CWaitCursor(this);
    m_pBrowser->SaveAddressToFile(address, path, FollowSave(path, [pWait, done](SaveResult result) {
                                      delete pWait.data();
                                      done(result);
                                  }));
}

void CHtmlPane::SaveDocument(const QString& path, SaveDone done)
{
    if (!m_pBrowser) {
        done(SaveResult::Failed);
        return;
    }
    m_pBrowser->SaveDocument(path, FollowSave(path, std::move(done)));
}

IBrowserControl::ResultDone CHtmlPane::FollowSave(const QString& path, SaveDone done)
{
    const QString name = QFileInfo(path).fileName();
    m_runningSaves.append(name);
    ShowSaveNote();
    const int nStops = m_nStops;
    return GuardContinuation<bool>(this, -1, [this, name, nStops, done](bool bOk) {
        m_runningSaves.removeOne(name);
        ShowSaveNote();
        if (bOk)
            done(SaveResult::Saved);
        else
            done(m_nStops != nStops ? SaveResult::Cancelled : SaveResult::Failed);
    });
}

void CHtmlPane::ShowSaveNote()
{
    const QString text = m_runningSaves.isEmpty()
                             ? QString()
                             : tr("Saving \"%1\"... (Esc cancels)").arg(m_runningSaves.constLast());
    if (m_pSaveNote == nullptr && !text.isEmpty() && m_pBrowser)
        m_pSaveNote = new CPageNote(m_pBrowser->Widget());
    if (m_pSaveNote && m_pBrowser)
        m_pSaveNote->ShowText(text, m_pBrowser->PageView());
}

void CHtmlPane::ExecCommand(int nCmdID, int nCmdExecOpt)
{
    if (m_pBrowser)
        m_pBrowser->ExecWB(nCmdID, nCmdExecOpt);
}

void CHtmlPane::Copy()
{
    ExecCommand(OLECMDID_COPY, OLECMDEXECOPT_DODEFAULT);
}

void CHtmlPane::Cut()
{
    ExecCommand(OLECMDID_CUT, OLECMDEXECOPT_DODEFAULT);
}

void CHtmlPane::Paste()
{
    ExecCommand(OLECMDID_PASTE, OLECMDEXECOPT_DODEFAULT);
}

void CHtmlPane::SelectAll()
{
    ExecCommand(OLECMDID_SELECTALL, OLECMDEXECOPT_DODEFAULT);
}

void CHtmlPane::Print()
{
    ExecCommand(OLECMDID_PRINT, OLECMDEXECOPT_PROMPTUSER);
}

void CHtmlPane::Find()
{
    if (m_pBrowser)
        m_pBrowser->ExecFind();
}

void CHtmlPane::GoBack()
{
    ForgetTypedLoad();
    if (m_pBrowser)
        m_pBrowser->GoBack();
}

void CHtmlPane::GoForward()
{
    ForgetTypedLoad();
    if (m_pBrowser)
        m_pBrowser->GoForward();
}

void CHtmlPane::GoHome()
{
    ForgetTypedLoad();
    if (m_pBrowser)
        m_pBrowser->GoHome();
}

void CHtmlPane::GoSearch()
{
    ForgetTypedLoad();
    if (m_pBrowser)
        m_pBrowser->GoSearch();
}

void CHtmlPane::Stop()
{
    ++m_nStops;
    ForgetTypedLoad();
    // A page that has not arrived will not: the tab goes back to the one the pane shows.
    ShowPageTitle();
    SetProgress(0, 0);
    UpdateTabImage(0, 0);
    if (m_pBrowser)
        m_pBrowser->Stop();
}

void CHtmlPane::Refresh()
{
    ForgetTypedLoad();
    OnProgressChange(1, kProgressRange);
    if (m_pBrowser)
        m_pBrowser->Refresh();
    if (m_hWnd)
        m_hWnd->setFocus();
}

bool CHtmlPane::IsCommandEnabled(int nCommand) const
{
    return m_pBrowser && (m_pBrowser->QueryStatus(nCommand) & OLECMDF_ENABLED) != 0;
}

bool CHtmlPane::OwnsWindow(const QWidget* pWnd) const
{
    // Only the page itself: not the bars or notices the control lays over or beside it.
    return m_hWnd && m_pBrowser && pWnd && pWnd == m_pBrowser->PageView();
}

bool CHtmlPane::IsEditingText() const
{
    return m_pBrowser && m_pBrowser->IsEditingText();
}

void CHtmlPane::InspectAt(const QPoint& ptScreen, InspectDone done)
{
    if (!m_pBrowser || !m_hWnd) {
        done(0);
        return;
    }
    const QPoint ptClient = m_hWnd->mapFromGlobal(ptScreen);
    if (ptClient.x() < 0 || ptClient.y() < 0) {
        done(0);
        return;
    }
    m_pBrowser->QueryElementsAt(
        ptClient, GuardContinuation<const BrowserElementPath&>(
                      this, QueryTimeout(), [this, done](const BrowserElementPath& answer) {
                          int nFlags = 0;
                          m_strMisspelledWord = answer.misspelledWord;
                          m_spellingSuggestions = answer.suggestions;
                          if (answer.bOk) {
                              const QString top =
                                  m_pBrowser ? m_pBrowser->LocationURL() : QString();
                              nFlags = ClassifyElementPath(answer.path, top, &m_strLinkAddress,
                                                           &m_strImageAddress);
                          }
                          done(nFlags);
                      }));
}

void CHtmlPane::GetFocusRect(FocusDone done)
{
    if (!m_pBrowser || !m_hWnd) {
        done(QRect());
        return;
    }
    m_pBrowser->QueryFocus(GuardContinuation<const BrowserFocus&>(
        this, QueryTimeout(), [this, done](const BrowserFocus& focus) {
            done(focus.bOk && m_hWnd ? focus.rect.translated(m_hWnd->mapToGlobal(QPoint(0, 0)))
                                     : QRect());
        }));
}

void CHtmlPane::SetHeight(int cy)
{
    if (m_pBrowser)
        m_pBrowser->SetHeight(cy);
    m_rcPane.bottom = m_rcPane.top + cy;
}

void CHtmlPane::SetLeft(int x)
{
    const int nLeft = x + 5;
    if (m_pBrowser && m_rcPane.left != nLeft)
        m_pBrowser->SetLeft(nLeft);
    m_rcPane.left = nLeft;
}

int CHtmlPane::UpdateTextSize()
{
    m_nTextSize = SetTextSize(0);
    return m_nTextSize;
}

int CHtmlPane::SetTextSize(int nLevel)
{
    if (!m_pBrowser)
        return 0;
    if (nLevel == 0) {
        int nZoom = 0;
        if (m_pBrowser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, nullptr, &nZoom))
            m_nTextSize = nZoom + 1;
    } else {
        m_nTextSize = nLevel;
        const int nZoom = nLevel - 1;
        m_pBrowser->ExecWB(OLECMDID_ZOOM, OLECMDEXECOPT_DONTPROMPTUSER, &nZoom);
    }
    return m_nTextSize;
}

bool CHtmlPane::GetSelectedText(QString* pText) const
{
    return m_pBrowser && m_pBrowser->GetSelectedText(pText);
}

QStringList CHtmlPane::GetRecentAddresses() const
{
    return QStringList(std::begin(m_strRecent), std::end(m_strRecent));
}

void CHtmlPane::GetProperties(PropertiesDone done)
{
    if (!m_pBrowser) {
        done(PaneProperties());
        return;
    }
    m_pBrowser->QueryDocumentInfo(GuardContinuation<const BrowserDocumentInfo&>(
        this, QueryTimeout(), [done](const BrowserDocumentInfo& info) {
            PaneProperties props;
            props.title = info.title;
            props.modified = info.lastModified;
            props.protocol = info.protocol;
            props.type = info.mimeType;
            props.size = info.fileSize;
            props.address = info.url;
            done(props);
        }));
}

QWidget* CHtmlPane::SetParentWnd(QWidget* pParent)
{
    return ReparentWindow(pParent);
}

void CHtmlPane::ShowAddress()
{
    if (m_bActive && m_hAddressEdit)
        m_hAddressEdit->setText(m_strAddress);
}

void CHtmlPane::GetSource(SourceDone done)
{
    if (!m_pBrowser) {
        done(false, QString());
        return;
    }
    m_pBrowser->QueryBodyMarkup(GuardContinuation<const BrowserMarkup&>(
        this, QueryTimeout(),
        [done](const BrowserMarkup& markup) { done(markup.bOk, markup.text); }));
}

void CHtmlPane::OnStatusTextChange(const QString& text)
{
    m_strStatusText = text;
    if (m_bActive && m_pForm)
        m_pForm->SetStatusText(text);
    // Without the status bar, where a hovered link leads shows over the page.
    const bool bOverlay = !text.isEmpty() && m_pForm && !m_pForm->IsStatusBarShown();
    if (m_pLinkOverlay == nullptr && bOverlay && m_pBrowser)
        m_pLinkOverlay = new CLinkOverlay(m_pBrowser->Widget());
    if (m_pLinkOverlay && m_pBrowser)
        m_pLinkOverlay->ShowText(bOverlay ? text : QString(), m_pBrowser->PageView());
}

void CHtmlPane::OnCommandStateChange(int nCommand, int nEnable)
{
    const bool bEnabled = (nEnable & 0xFFFF) != 0;
    auto setBit = [this, bEnabled](int nBit) {
        if (bEnabled)
            m_nPendingNavState |= nBit;
        else
            m_nPendingNavState &= ~nBit;
    };
    switch (nCommand) {
    case CSC_NAVIGATEFORWARD:
        setBit(1);
        break;
    case CSC_NAVIGATEBACK:
        setBit(2);
        break;
    case CSC_UPDATECOMMANDS:
        m_bCanGoForward = (m_nPendingNavState & 1) != 0;
        m_bCanGoBack = (m_nPendingNavState & 2) != 0;
        break;
    default:
        break;
    }
}

void CHtmlPane::OnProgressChange(int nProgress, int nProgressMax)
{
    SetProgress(nProgress, nProgressMax);
    UpdateTabImage(nProgress, nProgressMax);
    if (!m_pForm || !m_hWnd)
        return;
    // The control may have moved its window; put it back where the layout wants it.
    const QPoint pos = m_hWnd->pos();
    const bool bMisplaced = m_bFavoritesShown
                                ? (pos.x() != m_rcPane.left || pos.y() != m_rcPane.top)
                                : (pos.y() != m_rcPane.top || pos.x() != 0);
    if (bMisplaced)
        MoveToPaneRect();
}

void CHtmlPane::UpdateTabImage(int nProgress, int nProgressMax)
{
    if (!m_pTabCtrl)
        return;
    int nImage = kIdleImage;
    if (nProgress > 0) {
        if (nProgressMax > 0)
            nImage = int(qint64(nProgress) * 100 / nProgressMax / 20);
        else
            nImage = 0; // loading, size unknown
        nImage = qBound(0, nImage, kIdleImage);
    }
    if (nImage == m_nTabImage)
        return;
    m_nTabImage = nImage;
    const int nTab = GetTabIndex();
    if (nTab != -1)
        m_pTabCtrl->SetTabImage(nTab, nImage);
}

void CHtmlPane::OnTitleChange(const QString& text, bool bAddress)
{
    if (!m_pTabCtrl)
        return;
    // A page may call itself anything, an address too: only the control's own reports move
    // the pane to an address.
    QString title = text;
    if (bAddress && IsAddressTitle(text)) {
        title = AddressLabel(text);
        const QString address = WithoutFragment(text);
        m_strAddress = address;
        ShowAddress();
        m_strPageTitle.clear();
        m_bVisitReported = false;
        if (m_typedLoadAddresses.contains(address)) {
            ForgetTypedLoad();
            if (m_pForm)
                m_pForm->AddTypedAddress(address);
        }
        AddRecentAddress(address);
    } else if (!bAddress) {
        m_strPageTitle = text;
        // A title the page gives itself after its load finished.
        if (m_bVisitReported && m_pForm)
            m_pForm->OnPageVisited(m_strAddress, m_strPageTitle, false);
    }
    SetTitle(title);
}

void CHtmlPane::OnSleepChange(BrowserSleep state)
{
    const int nTab = GetTabIndex();
    if (m_pTabCtrl && nTab != -1)
        m_pTabCtrl->SetTabSleeping(nTab, state != BrowserSleep::Awake);
}

void CHtmlPane::AddRecentAddress(const QString& address)
{
    if (m_strRecent[0] == address)
        return;
    for (int i = kRecentCount - 1; i > 0; --i)
        m_strRecent[i] = m_strRecent[i - 1];
    m_strRecent[0] = address;
}

void CHtmlPane::OnBeforeNavigate2(const BrowserNavigation& nav, bool* pbCancel)
{
    const bool bViewNewWindow = m_pForm && m_pForm->ViewNewWindow();
    const bool bCheckGoogle = m_pForm && m_pForm->CheckGoogle();
    const NavigateDecision decision =
        DecideNavigation(nav, m_strAddress, m_bNavigating, bViewNewWindow, bCheckGoogle);
    switch (decision.action) {
    case NavigateAction::Allow:
        break;
    case NavigateAction::StartMail:
        *pbCancel = true;
        if (nav.bMainFrame)
            ShowPageTitle(); // nothing arrives here
        if (m_pForm)
            m_pForm->StartMailProgram(decision.address);
        break;
    case NavigateAction::NewPane:
        *pbCancel = true;
        if (nav.bMainFrame)
            ShowPageTitle();
        if (m_pForm)
            m_pForm->NavigateNewPane(decision.address, false);
        break;
    }
    FollowTypedLoad(nav, decision.action == NavigateAction::Allow);
}

void CHtmlPane::FollowTypedLoad(const BrowserNavigation& nav, bool bAllowed)
{
    if (!nav.bMainFrame || nav.bHistory)
        return;
    // A redirect belongs to the request made last: the typed one once it came.
    const bool bTypedLoads =
        nav.bRedirect ? !m_bTypedRequestDue && !m_typedLoadAddresses.isEmpty() : m_bTypedRequestDue;
    if (!bTypedLoads)
        return;
    if (!bAllowed) {
        // Handed to the mail program or to a new pane: no page arrives here.
        ForgetTypedLoad();
        return;
    }
    m_bTypedRequestDue = false;
    m_typedLoadAddresses << WithoutFragment(nav.address);
}

void CHtmlPane::ForgetTypedLoad()
{
    m_bTypedRequestDue = false;
    m_typedLoadAddresses.clear();
}

void CHtmlPane::OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel, BrowserWindowRequest request)
{
    if (m_pForm)
        m_pForm->OnNewWindow2(ppDisp, pbCancel, request);
    else
        *pbCancel = true;
}

void CHtmlPane::OnQuit()
{
    // The control is still inside its own event: close the pane once the event returned.
    if (m_bQuitPending)
        return;
    m_bQuitPending = true;
    QTimer::singleShot(0, this, [this] { Close(); });
}

void CHtmlPane::OnDocumentComplete(const QString&)
{
    if (m_pBrowser && m_pBrowser->ReadyState() == READYSTATE_COMPLETE) {
        OnProgressChange(kProgressRange, kProgressRange);
        m_bNavigating = false;
        // A load that ended without a page (stopped, refused) leaves the page that was there.
        ShowPageTitle();
        if (!m_bVisitReported && !m_strAddress.isEmpty() && m_pForm) {
            m_bVisitReported = true;
            m_pForm->OnPageVisited(m_strAddress, m_strPageTitle, true);
        }
    }
}
