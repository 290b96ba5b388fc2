// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "EngineFixture.h"
#include "TempHome.h"
#include "WaitFor.h"

#include "app/MainFrame.h"
#include "app/NuvBrowserApp.h"
#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebEngineScript>

#include <memory>

// The program's window on the real engine, put together as the program does it, with a
// loopback server. Settings are set on m_app before Open.
class EngineWorkspaceTest : public EngineTest
{
protected:
    void TearDown() override { Close(); }

    // Shows the window and waits for the start-up job (and for any question it asks, which
    // the test answers with a CModalDriver made before).
    void Open(bool bSession = false)
    {
        m_pFrame = std::make_unique<CMainFrame>(nullptr);
        ASSERT_TRUE(m_pFrame->Create());
        m_pForm = new CNuvBrowserForm(&m_app, nullptr, m_pFrame.get());
        if (bSession)
            m_pForm->EnableSession();
        m_pFrame->SetView(m_pForm);
        m_pFrame->resize(1000, 700);
        m_pFrame->show();
        m_pFrame->activateWindow();
        // A question at start may take the activation from the window.
        if (bSession)
            ASSERT_TRUE(QTest::qWaitForWindowExposed(m_pFrame.get()));
        else
            ASSERT_TRUE(QTest::qWaitForWindowActive(m_pFrame.get()));
        ASSERT_TRUE(WaitFor([this] { return m_pForm->IsStarted() && Pane(0); }, 30000));
    }
    void Close()
    {
        m_pFrame.reset();
        m_pForm = nullptr;
    }

    // The HTML pane at a pane index.
    CHtmlPane* Pane(int n) const
    {
        return qobject_cast<CHtmlPane*>(
            m_pForm->TabStrip()->GetTabPane(m_app.ViewFavorite == 1 ? n : n + 1));
    }
    int PaneCount() const
    {
        return m_pForm->TabStrip()->count() - (m_app.ViewFavorite == 1 ? 0 : 1);
    }
    bool Shows(const CHtmlPane* pPane, const QString& path) const
    {
        return pPane && !pPane->IsNavigating() && pPane->GetAddress() == m_server.Url(path);
    }
    // How often the server was asked for the path.
    int Requests(const QString& path) const
    {
        return int(m_server.Requests().count(QStringLiteral("GET ") + path));
    }

    // The value of a script in a pane's page, as text; "?" when the page does not answer.
    static QString Evaluate(CHtmlPane* pPane, const QString& script)
    {
        auto* pControl = pPane ? dynamic_cast<CWebEngineControl*>(pPane->Browser()) : nullptr;
        if (!pControl)
            return QStringLiteral("?");
        auto value = std::make_shared<QVariant>();
        pControl->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld,
                                        [value](const QVariant& v) { *value = v; });
        WaitFor([&] { return value->isValid(); }, 5000);
        return value->isValid() ? value->toString() : QStringLiteral("?");
    }
    // The middle of an element of a pane's page, in the page widget's coordinates.
    static QPoint Center(CHtmlPane* pPane, const QString& id)
    {
        const QJsonObject r =
            QJsonDocument::fromJson(Evaluate(pPane, "JSON.stringify(document.getElementById('" +
                                                        id + "').getBoundingClientRect())")
                                        .toUtf8())
                .object();
        return QPoint(int(r["left"].toDouble() + r["width"].toDouble() / 2),
                      int(r["top"].toDouble() + r["height"].toDouble() / 2));
    }

    CTempHome m_home;
    CNuvBrowserApp m_app;
    std::unique_ptr<CMainFrame> m_pFrame;
    CNuvBrowserForm* m_pForm = nullptr;
};
