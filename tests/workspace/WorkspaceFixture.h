// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "FakeBrowserControl.h"
#include "TempHome.h"
#include "WaitFor.h"
#include "app/MainFrame.h"
#include "app/NuvBrowserApp.h"
#include "panes/PaneWnd.h"
#include "res/Resource.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// The workspace as the program runs it: a main frame with the form as its view, in a fresh
// home, whose HTML panes get scripted fake controls. Settings are set on app before Open.
class WorkspaceTest : public ::testing::Test
{
protected:
    CTempHome home;
    CNuvBrowserApp app;
    CFakeControlFactory controls;
    std::unique_ptr<CMainFrame> frame;
    CNuvBrowserForm* form = nullptr;
    bool bSession = false; // the form keeps a session file, as in the program

    void TearDown() override { Close(); }

    // Shows the frame and waits for the start-up job.
    void Open()
    {
        frame = std::make_unique<CMainFrame>(nullptr);
        ASSERT_TRUE(frame->Create());
        form = new CNuvBrowserForm(&app, nullptr, frame.get());
        if (bSession)
            form->EnableSession();
        frame->SetView(form);
        frame->resize(1000, 700);
        frame->show();
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
        ReleaseModifiers();
        ASSERT_TRUE(WaitFor([this] { return form->IsStarted(); }));
    }
    // Destroys the frame and with it the form (which writes its settings on the way out).
    void Close()
    {
        frame.reset();
        form = nullptr;
    }

    CPaneTabCtrl* Tabs() const { return form->TabStrip(); }
    // The pane at a pane index (not a tab index).
    CPaneWnd* Pane(int n) const { return Tabs()->GetTabPane(app.ViewFavorite == 1 ? n : n + 1); }
    int PaneCount() const { return Tabs()->count() - (app.ViewFavorite == 1 ? 0 : 1); }
    // The fake control of an HTML pane.
    static CFakeBrowserControl* Control(const CPaneWnd* pPane)
    {
        return pPane ? qobject_cast<CFakeBrowserControl*>(pPane->Window()) : nullptr;
    }
    // New panes until there are n, each titled "Pn" by its page.
    void MakePanes(int n)
    {
        while (PaneCount() < n) {
            ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
            controls.Last()->RaiseTitleChange(QStringLiteral("P%1").arg(PaneCount()));
        }
        Control(Pane(0))->RaiseTitleChange(QStringLiteral("P1"));
    }
    // The pane index of the active pane; -1 without one or when it has no tab.
    int ActiveIndex() const
    {
        const int nTab = Tabs()->FindTab(form->GetActivePane());
        return nTab < 0 ? -1 : (app.ViewFavorite == 1 ? nTab : nTab - 1);
    }
    // The test's key clicks release a modifier with the modifier still set, as X does; the
    // offscreen platform keeps that as the modifier state until the next key event.
    void ReleaseModifiers() { QTest::keyRelease(frame->windowHandle(), Qt::Key_Control); }
    // A key typed into the frame's window: it reaches the focus widget through the window
    // system, which also keeps the modifier state the program queries.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
    {
        QTest::keyClick(frame->windowHandle(), key, modifiers);
        ReleaseModifiers();
    }
    // Lets the focus timer run.
    static void Settle() { QTest::qWait(40); }
    QLineEdit* AddressEdit() const { return frame->m_hAddressEdit; }
};
