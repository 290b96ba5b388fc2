// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeBrowserControl.h"

CFakeBrowserControl::CFakeBrowserControl(QWidget* pParent) : QWidget(pParent) {}

CFakeBrowserControl::~CFakeBrowserControl() = default;

bool CFakeBrowserControl::Navigate2(const QString& address)
{
    Record("Navigate2 " + address);
    return !m_bNavigateFails;
}

bool CFakeBrowserControl::RestoreHistory(const QByteArray& bytes)
{
    Record("RestoreHistory " + QString::fromLatin1(bytes));
    if (!bytes.startsWith(kHistoryMark))
        return false;
    m_history = bytes;
    return true;
}

void CFakeBrowserControl::SetLeft(int x)
{
    Record(QString("SetLeft %1").arg(x));
    move(x, y());
}

void CFakeBrowserControl::SetHeight(int cy)
{
    Record(QString("SetHeight %1").arg(cy));
    resize(width(), cy);
}

bool CFakeBrowserControl::ExecWB(int nCmdID, int nCmdExecOpt, const int* pnIn, int* pnOut)
{
    Record(QString("ExecWB %1 %2").arg(nCmdID).arg(nCmdExecOpt) +
           (pnIn ? QString(" in %1").arg(*pnIn) : QString()));
    if (nCmdID != OLECMDID_ZOOM)
        return true;
    if (pnIn)
        m_nZoom = *pnIn;
    if (pnOut) {
        if (!m_bZoomReadable)
            return false;
        *pnOut = m_nZoom;
    }
    return true;
}

int CFakeBrowserControl::QueryStatus(int nCmdID) const
{
    return OLECMDF_SUPPORTED | ((m_nEnabledCommands & (1 << nCmdID)) ? OLECMDF_ENABLED : 0);
}

bool CFakeBrowserControl::ExecFind()
{
    Record("ExecFind");
    return true;
}

bool CFakeBrowserControl::GetSelectedText(QString* pText) const
{
    *pText = m_strSelection;
    return true;
}

void CFakeBrowserControl::QueryElementsAt(const QPoint& ptClient, ElementsDone done)
{
    Record(QString("QueryElementsAt %1 %2").arg(ptClient.x()).arg(ptClient.y()));
    m_elementPoints << ptClient;
    m_elementQueries << std::move(done);
}

void CFakeBrowserControl::QueryDocumentInfo(DocumentDone done)
{
    Record("QueryDocumentInfo");
    m_documentQueries << std::move(done);
}

void CFakeBrowserControl::QueryBodyMarkup(MarkupDone done)
{
    Record("QueryBodyMarkup");
    m_markupQueries << std::move(done);
}

void CFakeBrowserControl::SaveDocument(const QString& path, ResultDone done)
{
    Record("SaveDocument " + path);
    m_saveRequests << std::move(done);
}

void CFakeBrowserControl::SaveAddressToFile(const QString& address, const QString& path,
                                            ResultDone done)
{
    Record("SaveAddressToFile " + address + " " + path);
    m_saveRequests << std::move(done);
}

void CFakeBrowserControl::RaiseStatusTextChange(const QString& text)
{
    if (m_pSink)
        m_pSink->OnStatusTextChange(text);
}

void CFakeBrowserControl::RaiseCommandStateChange(int nCommand, int nEnable)
{
    if (m_pSink)
        m_pSink->OnCommandStateChange(nCommand, nEnable);
}

void CFakeBrowserControl::RaiseProgressChange(int nProgress, int nProgressMax)
{
    if (m_pSink)
        m_pSink->OnProgressChange(nProgress, nProgressMax);
}

void CFakeBrowserControl::RaiseTitleChange(const QString& text)
{
    if (m_pSink)
        m_pSink->OnTitleChange(text, false);
}

void CFakeBrowserControl::RaiseAddressChange(const QString& address)
{
    if (m_pSink)
        m_pSink->OnTitleChange(address, true);
}

bool CFakeBrowserControl::RaiseBeforeNavigate2(const BrowserNavigation& nav)
{
    bool bCancel = false;
    if (m_pSink)
        m_pSink->OnBeforeNavigate2(nav, &bCancel);
    return bCancel;
}

bool CFakeBrowserControl::RaiseBeforeNavigate2(const QString& address)
{
    BrowserNavigation nav;
    nav.address = address;
    return RaiseBeforeNavigate2(nav);
}

IBrowserControl* CFakeBrowserControl::RaiseNewWindow2(bool* pbCancel, BrowserWindowRequest request)
{
    IBrowserControl* pDisp = nullptr;
    bool bCancel = false;
    if (m_pSink)
        m_pSink->OnNewWindow2(&pDisp, &bCancel, request);
    if (pbCancel)
        *pbCancel = bCancel;
    return pDisp;
}

void CFakeBrowserControl::RaiseQuit()
{
    if (m_pSink)
        m_pSink->OnQuit();
}

void CFakeBrowserControl::RaiseDocumentComplete(const QString& address)
{
    if (m_pSink)
        m_pSink->OnDocumentComplete(address);
}

void CFakeBrowserControl::SetSleep(BrowserSleep state)
{
    Record(QStringLiteral("SetSleep %1").arg(int(state)));
    if (m_sleep.state == state)
        return;
    m_sleep.state = state;
    if (m_pSink)
        m_pSink->OnSleepChange(state);
}

CFakeControlFactory::CFakeControlFactory()
    : m_maker([this](QWidget* pParent) -> IBrowserControl* {
          if (m_bFail)
              return nullptr;
          auto* pControl = new CFakeBrowserControl(pParent);
          m_controls << pControl;
          return pControl;
      })
{
}
