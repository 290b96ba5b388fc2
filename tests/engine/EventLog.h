// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineFactory.h"

#include <QStringList>

#include <memory>

// Records the events of one control as text lines, and answers new-window requests with a
// control of its own (or a refusal).
class CEventLog : public IBrowserEvents
{
public:
    void OnStatusTextChange(const QString& text) override { m_lines << "Status " + text; }
    void OnCommandStateChange(int nCommand, int nEnable) override
    {
        m_lines << QString("Command %1 %2").arg(nCommand).arg(nEnable);
    }
    void OnProgressChange(int nProgress, int nProgressMax) override
    {
        m_lines << QString("Progress %1 %2").arg(nProgress).arg(nProgressMax);
    }
    void OnTitleChange(const QString& text, bool bAddress) override
    {
        m_lines << (bAddress ? "Address " : "Title ") + text;
    }
    void OnBeforeNavigate2(const BrowserNavigation& nav, bool* pbCancel) override
    {
        m_lines << QString("Before %1%2%3%4")
                       .arg(nav.address, nav.bMainFrame ? "" : " frame",
                            nav.bHistory ? " history" : "", nav.bRedirect ? " redirect" : "");
        *pbCancel = nav.address.startsWith("mailto:");
    }
    void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                      BrowserWindowRequest request) override
    {
        m_newWindowRequests << request;
        m_lines << "NewWindow";
        if (m_bRefuseNewWindows) {
            *pbCancel = true;
            return;
        }
        if (!m_pNewLog)
            m_pNewLog = std::make_unique<CEventLog>();
        m_pNewControl.reset(static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
        m_pNewControl->SetEventSink(m_pNewLog.get());
        *ppDisp = m_pNewControl.get();
    }
    void OnQuit() override { m_lines << "Quit"; }
    void OnDocumentComplete(const QString& address) override { m_lines << "Complete " + address; }
    void OnSleepChange(BrowserSleep state) override
    {
        m_lines << QString("Sleep %1").arg(int(state));
    }

    QStringList Matching(const QString& prefix) const
    {
        QStringList found;
        for (const QString& line : m_lines)
            if (line.startsWith(prefix))
                found << line;
        return found;
    }
    // The address reports and the page's own titles, in order.
    QStringList Titles() const
    {
        QStringList found;
        for (const QString& line : m_lines)
            if (line.startsWith("Title ") || line.startsWith("Address "))
                found << line;
        return found;
    }
    bool Has(const QString& line) const { return m_lines.contains(line); }

    QStringList m_lines;
    bool m_bRefuseNewWindows = false;
    QList<BrowserWindowRequest> m_newWindowRequests; // how the page asked, oldest first
    // The control a granted request got, and its events.
    std::unique_ptr<CEventLog> m_pNewLog;
    std::unique_ptr<CWebEngineControl> m_pNewControl;
};
