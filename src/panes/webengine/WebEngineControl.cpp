#include "panes/webengine/WebEngineControl.h"

#include "panes/AddressInput.h"
#include "panes/webengine/WebEngineFactory.h"
#include "panes/webengine/WebEnginePage.h"
#include "panes/webengine/WebEngineProfile.h"
#include "platform/RegistryStore.h"

#include <QAction>
#include <QWebEngineSettings>

#include <cmath>

namespace {
const int kProgressRange = 10000;
const qreal kZoomFactors[BROWSER_ZOOM_LEVELS] = {0.75, 0.9, 1.0, 1.25, 1.5};
const char kBrowserMainKey[] = "Software\\Microsoft\\Internet Explorer\\Main";
const char kStartPage[] = "qrc:///res/start.html";

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
    // A scripted "mailto:" must reach the navigation policy, which hands it to the mail
    // program; by default the engine asks only after a user gesture.
    m_pPage->settings()->setUnknownUrlSchemePolicy(QWebEngineSettings::AllowAllUnknownUrlSchemes);
    setPage(m_pPage);
    setFocusPolicy(Qt::StrongFocus);
    ConnectEngineSignals();
}

CWebEngineControl::~CWebEngineControl()
{
    // No events while the page goes away.
    m_pSink = nullptr;
    m_pPage->disconnect(this);
}

void CWebEngineControl::ConnectEngineSignals()
{
    connect(m_pPage, &QWebEnginePage::urlChanged, this, &CWebEngineControl::HandleUrlChanged);
    connect(m_pPage, &QWebEnginePage::titleChanged, this, &CWebEngineControl::HandleTitleChanged);
    connect(m_pPage, &QWebEnginePage::loadStarted, this, &CWebEngineControl::HandleLoadStarted);
    connect(m_pPage, &QWebEnginePage::loadFinished, this, &CWebEngineControl::HandleLoadFinished);
    connect(m_pPage, &QWebEnginePage::loadProgress, this, [this](int nPercent) {
        if (m_pSink)
            m_pSink->OnProgressChange(nPercent * kProgressRange / 100, kProgressRange);
    });
    connect(m_pPage, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        if (m_pSink)
            m_pSink->OnStatusTextChange(url);
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
    if (!m_pSink || url.isEmpty())
        return;
    // Every new address is announced as the title first, as the platform's control does;
    // the page's own title follows when it is known.
    m_pSink->OnTitleChange(url.toString());
    const QString title = m_pPage->title();
    if (m_pSink && !title.isEmpty() && !IsAddressTitle(title))
        m_pSink->OnTitleChange(title);
}

void CWebEngineControl::HandleTitleChanged(const QString& title)
{
    // The engine's stand-in title (the address without its scheme) was announced in full.
    if (m_pSink && !title.isEmpty() && !IsAddressTitle(title))
        m_pSink->OnTitleChange(title);
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

void CWebEngineControl::HandleLoadStarted()
{
    m_nReadyState = READYSTATE_LOADING;
}

void CWebEngineControl::HandleLoadFinished(bool)
{
    // A failed load shows the engine's error page: the document is complete either way.
    m_nReadyState = READYSTATE_COMPLETE;
    if (m_pSink)
        m_pSink->OnDocumentComplete(LocationURL());
}

bool CWebEngineControl::HandleNavigationRequest(const QUrl& url,
                                                QWebEnginePage::NavigationType type,
                                                bool bMainFrame)
{
    if (!m_pSink || type == QWebEnginePage::NavigationTypeReload)
        return true;
    BrowserNavigation nav;
    nav.address = url.toString();
    nav.bMainFrame = bMainFrame;
    nav.bHistory = type == QWebEnginePage::NavigationTypeBackForward;
    nav.bRedirect = type == QWebEnginePage::NavigationTypeRedirect;
    bool bCancel = false;
    m_pSink->OnBeforeNavigate2(nav, &bCancel);
    return !bCancel;
}

QWebEnginePage* CWebEngineControl::HandleNewWindow()
{
    if (!m_pSink)
        return nullptr;
    IBrowserControl* pDisp = nullptr;
    bool bCancel = false;
    m_pSink->OnNewWindow2(&pDisp, &bCancel);
    if (bCancel || !pDisp)
        return nullptr;
    auto* pControl = dynamic_cast<CWebEngineControl*>(pDisp);
    return pControl ? pControl->page() : nullptr;
}

bool CWebEngineControl::Navigate2(const QString& address)
{
    const QUrl url = UrlFromAddress(address);
    if (!url.isValid())
        return false;
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

void CWebEngineControl::NavigateToMainValue(const char* name, const QString& fallback)
{
    QString address;
    CRegKey key;
    if (!key.Open(QString::fromLatin1(kBrowserMainKey)) ||
        !key.QueryString(QString::fromLatin1(name), &address) || address.isEmpty())
        address = fallback;
    if (!address.isEmpty())
        Navigate2(address);
}

void CWebEngineControl::GoHome()
{
    NavigateToMainValue("Start Page", QString::fromLatin1(kStartPage));
}

void CWebEngineControl::GoSearch()
{
    NavigateToMainValue("Search Page", QString());
}

void CWebEngineControl::Stop()
{
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

qreal CWebEngineControl::ZoomFactor(int nLevel)
{
    return kZoomFactors[qBound(0, nLevel, BROWSER_ZOOM_LEVELS - 1)];
}

bool CWebEngineControl::ExecWB(int nCmdID, int, const int* pnIn, int* pnOut)
{
    switch (nCmdID) {
    case OLECMDID_CUT:
        m_pPage->triggerAction(QWebEnginePage::Cut);
        return true;
    case OLECMDID_COPY:
        m_pPage->triggerAction(QWebEnginePage::Copy);
        return true;
    case OLECMDID_PASTE:
        m_pPage->triggerAction(QWebEnginePage::Paste);
        return true;
    case OLECMDID_SELECTALL:
        m_pPage->triggerAction(QWebEnginePage::SelectAll);
        return true;
    case OLECMDID_ZOOM: {
        if (pnIn) {
            if (*pnIn < 0 || *pnIn >= BROWSER_ZOOM_LEVELS)
                return false;
            m_pPage->setZoomFactor(ZoomFactor(*pnIn));
        }
        if (pnOut) {
            // The level whose factor is nearest to the page's.
            const qreal factor = m_pPage->zoomFactor();
            int nBest = 0;
            for (int i = 1; i < BROWSER_ZOOM_LEVELS; ++i)
                if (std::abs(kZoomFactors[i] - factor) < std::abs(kZoomFactors[nBest] - factor))
                    nBest = i;
            *pnOut = nBest;
        }
        return true;
    }
    default:
        return false;
    }
}

int CWebEngineControl::QueryStatus(int nCmdID) const
{
    QWebEnginePage::WebAction action;
    switch (nCmdID) {
    case OLECMDID_CUT:
        action = QWebEnginePage::Cut;
        break;
    case OLECMDID_COPY:
        action = QWebEnginePage::Copy;
        break;
    case OLECMDID_PASTE:
        action = QWebEnginePage::Paste;
        break;
    default:
        return 0;
    }
    return OLECMDF_SUPPORTED | (m_pPage->action(action)->isEnabled() ? OLECMDF_ENABLED : 0);
}

bool CWebEngineControl::ExecFind()
{
    return false;
}

bool CWebEngineControl::GetSelectedText(QString* pText) const
{
    *pText = m_pPage->selectedText();
    return true;
}

void CWebEngineControl::QueryElementsAt(const QPoint&, ElementsDone done)
{
    done(BrowserElementPath());
}

void CWebEngineControl::QueryDocumentInfo(DocumentDone done)
{
    done(BrowserDocumentInfo());
}

void CWebEngineControl::QueryBodyMarkup(MarkupDone done)
{
    done(BrowserMarkup());
}

void CWebEngineControl::SaveDocument(const QString&, ResultDone done)
{
    done(false);
}

void CWebEngineControl::SaveAddressToFile(const QString&, const QString&, ResultDone done)
{
    done(false);
}
