// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/WebEngineControl.h"

#include "panes/AddressInput.h"
#include "panes/webengine/FindBar.h"
#include "panes/webengine/HistoryBytes.h"
#include "panes/webengine/NoticePage.h"
#include "panes/webengine/OfflineInterceptor.h"
#include "panes/webengine/PageCommands.h"
#include "panes/webengine/PageScripts.h"
#include "panes/webengine/PageSleep.h"
#include "panes/webengine/UserGestures.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "panes/webengine/WebEngineFactory.h"
#include "panes/webengine/WebEnginePage.h"
#include "panes/webengine/WebEnginePrinter.h"
#include "panes/webengine/WebEngineProfile.h"
#include "platform/BrowserMainKey.h"
#include "platform/FreeMemory.h"
#include "platform/InternetState.h"
#include "platform/RegKey.h"
#include "platform/SettingChangeNotifier.h"
#include "platform/ShellServices.h"
#include "platform/SpellCheck.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPrinter>
#include <QQuickWidget>
#include <QQuickWindow>
#include <QTimer>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineSettings>

namespace {
const int kProgressRange = 10000;
// While a navigation runs the progress never reports less than this: a server that has not
// answered yet still shows a loading pane.
const int kLoadingFloor = kProgressRange / 20;

// The folder a file is to be written into exists (the engine would make missing ones).
bool IsFolderOf(const QString& path)
{
    return !path.isEmpty() && QFileInfo(QFileInfo(path).absolutePath()).isDir();
}

// The engine's display form of an address: no scheme, no "//", no trailing "/".
QString BareAddress(const QString& text)
{
    QString bare = text;
    const qsizetype nScheme = bare.indexOf(QLatin1String("://"));
    if (nScheme > 0)
        bare.remove(0, nScheme + 3);
    while (bare.endsWith(QLatin1Char('/')))
        bare.chop(1);
    return bare;
}

} // namespace

IBrowserControl* CreateWebEngineControl(QWidget* pParent)
{
    return new CWebEngineControl(pParent);
}

CWebEngineControl::CWebEngineControl(QWidget* pParent) : QWebEngineView(pParent)
{
    m_pPage = new CWebEnginePage(NuvWebEngineProfile(), this);
    m_pGestures = new CUserGestures(this);
    // A page starts other programs (a mail address, another program's scheme) and opens
    // windows only for the user's press or key: the engine asks about them only then.
    m_pPage->settings()->setUnknownUrlSchemePolicy(
        QWebEngineSettings::AllowUnknownUrlSchemesFromUserInteraction);
    m_pPage->settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // PDF documents open in the page with the engine's own viewer instead of as downloads.
    m_pPage->settings()->setAttribute(QWebEngineSettings::PluginsEnabled, true);
    m_pPage->settings()->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
    setPage(m_pPage);
    setFocusPolicy(Qt::StrongFocus);
    // The workspace shows the program's own context menu; the engine's one stays away, also
    // from the menu requests that its inner widget passes up. What the engine tells of the
    // press (the spelling at the point) is kept for the program's menu.
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &CWebEngineControl::RememberSpelling);
    m_pPrinter = new CWebEnginePrinter(this);
    m_pSleep = new CPageSleep(m_pPage, this, m_pPrinter);
    ConnectEngineSignals();
    ApplyBrowserSettings();
    connect(CSettingChangeNotifier::Instance(), &CSettingChangeNotifier::settingChanged, this,
            &CWebEngineControl::ApplyBrowserSettings);
}

void CWebEngineControl::ApplyBrowserSettings()
{
    CRegKey key;
    const bool bOpen = key.Open(QString::fromLatin1(CBrowserMainKey::kPath));
    auto isOff = [&](const char* name) {
        QString value;
        return bOpen && key.QueryString(QString::fromLatin1(name), &value) &&
               value.compare(QLatin1String("no"), Qt::CaseInsensitive) == 0;
    };
    m_pPage->settings()->setAttribute(QWebEngineSettings::AutoLoadImages,
                                      !isOff("Display Inline Images"));
    m_pPage->setAudioMuted(isOff("Play_Background_Sounds"));
}

CWebEngineControl::~CWebEngineControl()
{
    // No events and no answers while the page goes away.
    m_bClosing = true;
    *m_pClosed = true;
    m_pSink = nullptr;
    delete m_pPrinter;
    m_pPage->disconnect(this);
    ReleaseFreeMemorySoon();
}

void CWebEngineControl::ConnectEngineSignals()
{
    connect(m_pPage, &QWebEnginePage::urlChanged, this, &CWebEngineControl::HandleUrlChanged);
    connect(m_pPage, &QWebEnginePage::titleChanged, this, &CWebEngineControl::HandleTitleChanged);
    connect(m_pPage, &QWebEnginePage::loadingChanged, this,
            &CWebEngineControl::HandleLoadingChanged);
    connect(m_pPage, &QWebEnginePage::loadProgress, this, &CWebEngineControl::HandleLoadProgress);
    connect(m_pPage, &QWebEnginePage::renderProcessTerminated, this,
            &CWebEngineControl::HandleRenderProcessTerminated);
    connect(m_pPage, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (m_pSink)
            m_pSink->OnStatusTextChange(url);
    });
    connect(m_pPrinter, &CWebEnginePrinter::statusTextChanged, this, [this](const QString& text) {
        if (m_pSink)
            m_pSink->OnStatusTextChange(text);
    });
    connect(m_pPage, &CWebEnginePage::popupBlocked, this, [this] {
        if (m_pSink)
            m_pSink->OnStatusTextChange(tr("Pop-up window blocked"));
    });
    connect(m_pSleep, &CPageSleep::changed, this, [this](BrowserSleep state) {
        if (m_pSink)
            m_pSink->OnSleepChange(state);
    });
    connect(m_pPage, &QWebEnginePage::windowCloseRequested, this, [this] {
        if (m_pSink)
            m_pSink->OnQuit();
    });
    for (QWebEnginePage::WebAction action : {QWebEnginePage::Back, QWebEnginePage::Forward})
        connect(m_pPage->action(action), &QAction::changed, this,
                &CWebEngineControl::HandleHistoryChanged);
}

bool CWebEngineControl::IsAddressTitle(const QString& title) const
{
    const QUrl url = m_pPage->url();
    if (title == url.toString() || title == BareAddress(url.toString()))
        return true;
    return url.isLocalFile() && title == url.fileName();
}

void CWebEngineControl::HandleUrlChanged(const QUrl& url)
{
    if (url.isEmpty())
        return;
    ReportAddressAndTitle();
}

void CWebEngineControl::ReportAddressAndTitle()
{
    const QUrl url = m_pPage->url();
    if (!m_pSink || url.isEmpty())
        return;
    // Every address is announced as the title first, as the platform's control does; the
    // page's own title follows when it is known.
    m_bAddressReported = true;
    m_strReportedTitle.clear();
    m_pSink->OnTitleChange(url.toString(), true);
    HandleTitleChanged(m_pPage->title());
}

void CWebEngineControl::HandleTitleChanged(const QString& title)
{
    // The engine's stand-in title (the address without its scheme) was announced in full;
    // a title the page already reported since its address is not reported again.
    // Under our offline page the engine's error page would name the tab after the host.
    if (!m_pSink || title.isEmpty() || IsAddressTitle(title) || title == m_strReportedTitle ||
        m_notice == NoticeKind::Offline)
        return;
    m_strReportedTitle = title;
    m_pSink->OnTitleChange(title, false);
}

void CWebEngineControl::NameUntitledDocument()
{
    // The engine's viewer shows a PDF without a title of its own under its address; like a
    // document of the file system, it goes by its file name instead.
    const QUrl url = m_pPage->url();
    if (!m_strReportedTitle.isEmpty() || url.isLocalFile() || url.fileName().isEmpty())
        return;
    QPointer<CWebEngineControl> self(this);
    RunQuery(QStringLiteral("document.contentType"), [self, url](const QVariant& type) {
        if (!self || !self->m_pSink || type.toString() != QLatin1String("application/pdf") ||
            self->m_pPage->url() != url || !self->m_strReportedTitle.isEmpty())
            return;
        self->m_strReportedTitle = url.fileName();
        self->m_pSink->OnTitleChange(self->m_strReportedTitle, false);
    });
}

void CWebEngineControl::HandleHistoryChanged()
{
    const bool bBack = m_pPage->action(QWebEnginePage::Back)->isEnabled();
    const bool bForward = m_pPage->action(QWebEnginePage::Forward)->isEnabled();
    if (bBack == m_bCanGoBack && bForward == m_bCanGoForward)
        return;
    m_bCanGoBack = bBack;
    m_bCanGoForward = bForward;
    if (!m_pSink)
        return;
    m_pSink->OnCommandStateChange(CSC_NAVIGATEFORWARD, bForward);
    if (m_pSink)
        m_pSink->OnCommandStateChange(CSC_NAVIGATEBACK, bBack);
    if (m_pSink)
        m_pSink->OnCommandStateChange(CSC_UPDATECOMMANDS, 0);
}

void CWebEngineControl::HandleLoadingChanged(const QWebEngineLoadingInfo& info)
{
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
        m_nReadyState = READYSTATE_LOADING;
        m_bLoading = true;
        m_bAddressReported = false;
        HideNotice();
        // The pane is loading from now on, whatever the server does.
        if (m_pSink)
            m_pSink->OnProgressChange(kLoadingFloor, kProgressRange);
        return;
    }
    m_bLoading = false;
    // A reload or the same address again changes no address: report it all the same, the
    // pane learns from it that a page arrived.
    if (info.status() != QWebEngineLoadingInfo::LoadStoppedStatus && !m_bAddressReported)
        ReportAddressAndTitle();
    if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
        NameUntitledDocument();
    if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && IsOffline() &&
        COfflineInterceptor::IsBlocked(info.url(), true))
        ShowNotice(NoticeKind::Offline);
    // A failed load shows an error page: the document is complete either way.
    m_nReadyState = READYSTATE_COMPLETE;
    ReleaseFreeMemorySoon(); // what the load took for a while is free now
    if (m_pSink)
        m_pSink->OnDocumentComplete(LocationURL());
}

void CWebEngineControl::HandleLoadProgress(int nPercent)
{
    if (!m_pSink)
        return;
    int nProgress = nPercent * kProgressRange / 100;
    if (m_bLoading)
        nProgress = qMax(nProgress, kLoadingFloor);
    m_pSink->OnProgressChange(nProgress, kProgressRange);
}

void CWebEngineControl::HandleRenderProcessTerminated()
{
    if (m_bClosing)
        return;
    m_bLoading = false;
    ShowNotice(NoticeKind::Crashed);
    m_nReadyState = READYSTATE_COMPLETE;
    // Whatever was loading has ended: the bar and the tab go idle.
    if (m_pSink)
        m_pSink->OnDocumentComplete(LocationURL());
}

const CNoticePage* CWebEngineControl::Notice() const
{
    return m_notice == NoticeKind::None ? nullptr : m_pNotice;
}

void CWebEngineControl::ShowNotice(NoticeKind kind)
{
    if (!m_pNotice)
        m_pNotice = new CNoticePage(this);
    m_notice = kind;
    LayOutBars();
    const QString address = LocationURL();
    if (kind == NoticeKind::Crashed)
        m_pNotice->ShowNotice(tr("This page stopped working"), address,
                              tr("The program that showed it ended before its time. "
                                 "Refresh (Shift+Esc) loads the page again."));
    else
        m_pNotice->ShowNotice(m_strReportedTitle = tr("You are working offline"), address,
                              tr("This page is not in memory, and pages are not fetched from "
                                 "the network while you work offline. To go online, choose "
                                 "Work Offline in the File menu, then Refresh (Shift+Esc)."));
    if (kind == NoticeKind::Offline && m_pSink)
        m_pSink->OnTitleChange(m_strReportedTitle, false);
}

void CWebEngineControl::HideNotice()
{
    m_notice = NoticeKind::None;
    if (m_pNotice)
        m_pNotice->hide();
}

void CWebEngineControl::resizeEvent(QResizeEvent* pEvent)
{
    QWebEngineView::resizeEvent(pEvent);
    LayOutBars();
}

void CWebEngineControl::LayOutBars()
{
    const int nBar = m_pFindBar && m_pFindBar->isVisible() ? m_pFindBar->sizeHint().height() : 0;
    // The page's own widget is laid out inside the margins: the bar takes the bottom.
    setContentsMargins(0, 0, 0, nBar);
    if (nBar > 0)
        m_pFindBar->setGeometry(0, height() - nBar, width(), nBar);
    if (m_pNotice)
        m_pNotice->setGeometry(contentsRect());
}

void CWebEngineControl::childEvent(QChildEvent* pEvent)
{
    QWebEngineView::childEvent(pEvent);
    // The engine draws the page through a Qt Quick widget, whose scene graph holds the page's
    // last frames as textures and a surface the size of the view. A pane behind the others
    // gives them back when it is hidden; the page itself lives on, and the engine sends a
    // fresh frame when the pane comes to the front again.
    if (pEvent->type() != QEvent::ChildPolished)
        return;
    if (auto* pQuick = qobject_cast<QQuickWidget*>(pEvent->child())) {
        // The presses and keys on the page arrive here.
        m_pGestures->Watch(pQuick);
        if (QQuickWindow* pWindow = pQuick->quickWindow()) {
            pWindow->setPersistentSceneGraph(false);
            pWindow->setPersistentGraphics(false);
        }
    }
}

void CWebEngineControl::hideEvent(QHideEvent* pEvent)
{
    QWebEngineView::hideEvent(pEvent);
    // The drawing a pane behind the others gave up is free now.
    ReleaseFreeMemorySoon();
}

bool CWebEngineControl::HandleNavigationRequest(const QUrl& url,
                                                QWebEnginePage::NavigationType type,
                                                bool bMainFrame)
{
    if (CUserGestures::IsProgramAddress(url))
        return HandleExternalAddress(url, type, bMainFrame);
    if (!m_pSink || type == QWebEnginePage::NavigationTypeReload)
        return true;
    BrowserNavigation nav;
    nav.address = url.toString();
    nav.bMainFrame = bMainFrame;
    nav.bHistory = type == QWebEnginePage::NavigationTypeBackForward;
    nav.bRedirect = type == QWebEnginePage::NavigationTypeRedirect;
    bool bCancel = false;
    m_pSink->OnBeforeNavigate2(nav, &bCancel);
    if (bCancel && bMainFrame)
        QuitIfOpenedInVain();
    return !bCancel;
}

void CWebEngineControl::QuitIfOpenedInVain()
{
    // A pane opened only for an address that went elsewhere (a mail address, another program;
    // by a page's new window or a second start) would stay empty: it asks to be closed.
    if (!HasShownDocument() && m_pSink)
        m_pSink->OnQuit();
}

bool CWebEngineControl::HandleExternalAddress(const QUrl& url, QWebEnginePage::NavigationType type,
                                              bool bMainFrame)
{
    // The engine asks only after a press or a key on the page (or for an address the program
    // asked for), but would ask again for every address a script sets for a while after it:
    // one gesture starts one program at most.
    if (m_pGestures->Take()) {
        BrowserNavigation nav;
        nav.address = url.toString();
        nav.bMainFrame = bMainFrame;
        nav.bRedirect = type == QWebEnginePage::NavigationTypeRedirect;
        bool bCancel = false;
        if (m_pSink)
            m_pSink->OnBeforeNavigate2(nav, &bCancel);
        if (!bCancel)
            OpenWithDesktop(url.toString(QUrl::FullyEncoded));
    }
    // Nothing loads here: a pane that shows a page ends its navigation over that page.
    if (bMainFrame) {
        QuitIfOpenedInVain();
        if (HasShownDocument() && m_pSink)
            m_pSink->OnDocumentComplete(LocationURL());
    }
    return false;
}

QWebEnginePage* CWebEngineControl::HandleNewWindow(BrowserWindowRequest request)
{
    if (!m_pSink)
        return nullptr;
    IBrowserControl* pDisp = nullptr;
    bool bCancel = false;
    m_pSink->OnNewWindow2(&pDisp, &bCancel, request);
    if (bCancel || !pDisp)
        return nullptr;
    auto* pControl = dynamic_cast<CWebEngineControl*>(pDisp);
    if (!pControl)
        return nullptr;
    // The window came for the user's gesture, which goes with it (a mail address it shows).
    m_pGestures->HandTo(pControl->m_pGestures);
    return pControl->page();
}

bool CWebEngineControl::Navigate2(const QString& address)
{
    // Words typed instead of an address go to the search page, as the address field of the
    // platform's browser did it.
    const QUrl url =
        IsSearchText(address)
            ? SearchUrl(CBrowserMainKey::Value("Search Page", CBrowserMainKey::DefaultSearchPage()),
                        address)
            : UrlFromAddress(address);
    if (!url.isValid())
        return false;
    // The user asked for this address (typed, a favorite, a second start): it may start its
    // program. The engine does not ask about such an address when the program loads it, so it
    // goes to the program's rules here, once this call has returned.
    if (CUserGestures::IsProgramAddress(url)) {
        m_pGestures->Grant();
        QTimer::singleShot(0, this, [this, url] {
            HandleExternalAddress(url, QWebEnginePage::NavigationTypeTyped, true);
        });
        return true;
    }
    m_pPage->load(url);
    return true;
}

void CWebEngineControl::GoBack()
{
    m_pPage->triggerAction(QWebEnginePage::Back);
}

void CWebEngineControl::GoForward()
{
    m_pPage->triggerAction(QWebEnginePage::Forward);
}

QByteArray CWebEngineControl::SaveHistory() const
{
    if (m_pSleep->IsDiscarded())
        return m_pSleep->KeptHistory();
    return SaveEngineHistory(m_pPage->history());
}

bool CWebEngineControl::RestoreHistory(const QByteArray& bytes)
{
    return RestoreEngineHistory(m_pPage->history(), bytes);
}

void CWebEngineControl::NavigateToMainValue(const char* name, const QString& fallback)
{
    const QString address = CBrowserMainKey::Value(name, fallback);
    if (!address.isEmpty())
        Navigate2(address);
}

void CWebEngineControl::GoHome()
{
    NavigateToMainValue("Start Page", CBrowserMainKey::DefaultStartPage());
}

void CWebEngineControl::GoSearch()
{
    NavigateToMainValue("Search Page", CBrowserMainKey::DefaultSearchPage());
}

void CWebEngineControl::Stop()
{
    // Stop also ends the saves and downloads the user started from this page.
    NuvWebEngineDownloads()->CancelFor(m_pPage);
    m_pPage->triggerAction(QWebEnginePage::Stop);
}

void CWebEngineControl::Refresh()
{
    m_pPage->triggerAction(QWebEnginePage::Reload);
}

void CWebEngineControl::SetLeft(int x)
{
    move(x, y());
}

void CWebEngineControl::SetHeight(int cy)
{
    resize(width(), cy);
}

QString CWebEngineControl::LocationURL() const
{
    return m_pPage->url().toString();
}

void CWebEngineControl::ReportDownloadProgress(qint64 nReceived, qint64 nTotal)
{
    if (!m_pSink)
        return;
    // Without a known size the bar stays idle and the tab shows loading has begun.
    if (nTotal > 0)
        m_pSink->OnProgressChange(
            int(qBound<qint64>(0, nReceived, nTotal) * kProgressRange / nTotal), kProgressRange);
    else
        m_pSink->OnProgressChange(nReceived > 0 ? 1 : 0, 0);
}

bool CWebEngineControl::HasShownDocument() const
{
    // While the first navigation runs, the address is already the one asked for; only the
    // history knows that nothing arrived yet.
    const QUrl url = m_pPage->url();
    return m_pPage->history()->count() > 0 && !url.isEmpty() &&
           url != QUrl(QStringLiteral("about:blank"));
}

void CWebEngineControl::HandleDownloadStarted()
{
    if (m_pSink && !HasShownDocument())
        m_pSink->OnQuit();
}

bool CWebEngineControl::ExecWB(int nCmdID, int, const int* pnIn, int* pnOut)
{
    if (nCmdID == OLECMDID_PRINT)
        return m_pPrinter->PrintWithPrompt();
    return CPageCommands::Exec(this, nCmdID, pnIn, pnOut);
}

int CWebEngineControl::QueryStatus(int nCmdID) const
{
    return CPageCommands::QueryStatus(this, nCmdID);
}

bool CWebEngineControl::StartPrint(std::unique_ptr<QPrinter> pPrinter)
{
    return m_pPrinter->StartPrint(std::move(pPrinter));
}

bool CWebEngineControl::IsPrinting() const
{
    return m_pPrinter->IsPrinting();
}

bool CWebEngineControl::ExecFind()
{
    if (!m_pFindBar) {
        m_pFindBar = new CFindBar(m_pPage, this);
        connect(m_pFindBar, &CFindBar::closed, this, &CWebEngineControl::LayOutBars);
    }
    m_pFindBar->Open();
    LayOutBars();
    return true;
}

bool CWebEngineControl::GetSelectedText(QString* pText) const
{
    *pText = m_pPage->selectedText();
    return true;
}

bool CWebEngineControl::IsEditingText() const
{
    // Our own notice page has no fields.
    return m_notice == NoticeKind::None && m_pPage->IsEditingText();
}

BrowserSleepFacts CWebEngineControl::SleepFacts() const
{
    return m_pSleep->Facts();
}

void CWebEngineControl::SetSleep(BrowserSleep state)
{
    m_pSleep->Set(state);
}

void CWebEngineControl::RunQuery(const QString& script, std::function<void(const QVariant&)> answer)
{
    if (m_notice != NoticeKind::None) {
        // Our own page stands in for the document: there is nothing to ask.
        QTimer::singleShot(0, QCoreApplication::instance(), [answer] { answer(QVariant()); });
        return;
    }
    m_pPage->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                           [closed = m_pClosed, answer](const QVariant& result) {
                               // WORKAROUND: the engine calls back with an invalid result while the
                               // page is being destroyed; touch nothing of it then.
                               const bool bGone = *closed || !result.isValid();
                               const QVariant value = bGone ? QVariant() : result;
                               // Answer outside the engine's callback: the caller may open a
                               // dialog.
                               QTimer::singleShot(0, QCoreApplication::instance(),
                                                  [answer, value] { answer(value); });
                           });
}

void CWebEngineControl::QueryElementsAt(const QPoint& ptClient, ElementsDone done)
{
    // The page counts in CSS pixels, the window in zoomed ones.
    const qreal zoom = m_pPage->zoomFactor();
    QPointer<CWebEngineControl> self(this);
    RunQuery(PageScripts::ElementsAt(ptClient.x() / zoom, ptClient.y() / zoom),
             [self, done, ptClient](const QVariant& answer) {
                 BrowserElementPath path = PageScripts::ReadElements(answer);
                 if (self && path.bOk)
                     self->m_spelling.AddTo(ptClient, &path);
                 done(path);
             });
}

void CWebEngineControl::RememberSpelling()
{
    if (const QWebEngineContextMenuRequest* pRequest = lastContextMenuRequest())
        m_spelling.Remember(pRequest->position(), pRequest->isContentEditable(),
                            pRequest->misspelledWord(), pRequest->spellCheckerSuggestions());
}

void CWebEngineControl::ReplaceMisspelledWord(const QString& word)
{
    if (m_spelling.HasWord())
        m_pPage->replaceMisspelledWord(word);
}

void CWebEngineControl::AddWordToDictionary(const QString& word)
{
    // The engine of this Qt has no call for it: the word goes into the list the engine reads
    // at its next start.
    AddSpellWord(m_pPage->profile()->persistentStoragePath(), word);
}

void CWebEngineControl::QueryDocumentInfo(DocumentDone done)
{
    RunQuery(PageScripts::DocumentInfo(),
             [done](const QVariant& answer) { done(PageScripts::ReadDocumentInfo(answer)); });
}

void CWebEngineControl::QueryBodyMarkup(MarkupDone done)
{
    RunQuery(PageScripts::BodyMarkup(),
             [done](const QVariant& answer) { done(PageScripts::ReadBodyMarkup(answer)); });
}

void CWebEngineControl::QueryFocus(FocusDone done)
{
    const qreal zoom = m_pPage->zoomFactor();
    RunQuery(PageScripts::FocusedElement(),
             [done, zoom](const QVariant& answer) { done(PageScripts::ReadFocus(answer, zoom)); });
}

void CWebEngineControl::SaveDocument(const QString& path, ResultDone done)
{
    if (!IsFolderOf(path) || m_pPage->url().isEmpty()) {
        done(false);
        return;
    }
    NuvWebEngineDownloads()->Expect(m_pPage, true, m_pPage->url(), path, done);
    m_pPage->save(CWebEngineDownloads::TempPathFor(path),
                  QWebEngineDownloadRequest::SingleHtmlSaveFormat);
}

void CWebEngineControl::SaveAddressToFile(const QString& address, const QString& path,
                                          ResultDone done)
{
    const QUrl url = UrlFromAddress(address);
    if (!url.isValid() || !IsFolderOf(path)) {
        done(false);
        return;
    }
    // The transfer shows on the pane's progress bar and tab, as a page load does.
    QPointer<CWebEngineControl> self(this);
    NuvWebEngineDownloads()->Expect(
        m_pPage, false, url, path,
        [self, done](bool bOk) {
            if (self)
                self->ReportDownloadProgress(1, 1);
            done(bOk);
        },
        [self](qint64 nReceived, qint64 nTotal) {
            if (self)
                self->ReportDownloadProgress(nReceived, nTotal);
        });
    m_pPage->download(url, QFileInfo(path).fileName());
}
