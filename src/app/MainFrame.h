// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "AppCommands.h"
#include "commands/CmdTarget.h"
#include "commands/CommandRouter.h"
#include "options/KeyAccelTable.h"
#include "workspace/FrameHost.h"

#include <QMainWindow>

#include <memory>

class CAccelTable;
class CAddressBar;
class CAddressCompleter;
class CCommandBands;
class CKeyRouter;
class CNuvBrowserDoc;
class CPageNote;
class IFrameView;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QTimer;
class QToolBar;

// The program's only top-level window: the command bands at the top (menu bar, tool bar,
// address bar), the status bar at the bottom, the view (the workspace) between them. It routes
// key presses through the user's key bindings and the fixed accelerators, and commands through
// the active view, itself and the application. Its view reaches it as the view's frame host.
class CMainFrame : public QMainWindow, public CCmdTarget, public IFrameHost
{
    Q_OBJECT
public:
    explicit CMainFrame(CNuvBrowserDoc* pDoc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds the bars; false when any of them cannot be made.
    bool Create();

    // A second instance hands its record over here; the answer goes back to it.
    bool OnCopyData(quint32 dwData, const QString* pText);

    // The view: shown as the central area (SetView) and first on the command route. Without
    // one the frame's requests to the workspace do nothing.
    void SetView(IFrameView* pView);
    void SetActiveView(IFrameView* pView);
    IFrameView* GetActiveView() const { return m_pActiveView; }
    CNuvBrowserDoc* GetDocument() const { return m_pDoc; }

    // Runs a command as its menu item would: not when its update rule disables it. True when a
    // handler ran.
    bool SendCommand(int nID);
    bool IsCommandEnabled(int nID) const;
    CCommandRouter& GetCommandRouter() { return m_router; }
    // Evaluates the tool bar's update rules now (the frame also does it when idle).
    void UpdateToolBar();

    // The view's side (IFrameHost).
    void SetStatusText(const QString& strText) override;
    void ShowNotice(const QString& strText) override;
    bool IsStatusBarShown() const override;
    void SetFavoritesWidth(int nWidth) override;
    bool IsCommandBandsShown() const override;
    QComboBox* GetAddressCombo() const override { return m_hAddressCombo; }
    QLineEdit* GetAddressEdit() const override { return m_hAddressEdit; }
    CKeyAccelTable* GetKeyAccelTable() override { return &m_keyAccelTable; }
    QMenuBar* GetMenuBar() const override { return m_pMenuBar; }
    void OnAppExit() override;

    // What the message part of the status bar shows: a notice while one is held, else the
    // text last set.
    QString GetStatusText() const;
    CAddressBar* GetAddressBar() const { return m_pAddressBar; }
    // The list of completions under the address field.
    CAddressCompleter* GetAddressCompleter() const { return m_pCompleter; }
    CCommandBands* GetCommandBands() const { return m_pCommandBands; }
    QToolBar* GetToolBar() const { return m_pToolBar; }
    QLabel* GetCapsIndicator() const { return m_pCapsPane; }

    void OnViewAddressBar();
    void OnUpdateViewAddressBar(CCmdUI* pCmdUI);
    void OnViewStatusBar();
    void OnUpdateViewStatusBar(CCmdUI* pCmdUI);

    // Key routing, for a key or pointer press aimed at a widget of this window (CKeyRouter
    // hands each press over once); true consumes it.
    bool PreTranslateMessage(QObject* pReceiver, QEvent* pEvent);
    // The widget that takes the frame's keys: the focus widget, also while the window is not
    // the active one (a bare X server without a window manager never activates it, yet
    // delivers the keys to it).
    QWidget* KeyFocusWidget() const;
    // Whether the key routing takes this key press, aimed at this widget (a key table matches).
    bool WantsKey(QObject* pReceiver, const QKeyEvent* pEvent);
    // Whether the widget is a text field with the keyboard focus: an editable field of the
    // frame (the address field, a page's find field) or a field of the active page.
    bool IsEditingText(QObject* pReceiver) const;

    QComboBox* m_hAddressCombo = nullptr; // control 1009 of the address bar
    QLineEdit* m_hAddressEdit = nullptr;  // the edit field inside it
    CKeyAccelTable m_keyAccelTable;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool CreateBars();
    void CreateStatusBar();
    void ConnectCommands(QWidget* pMenuOrBar);
    bool OnAddressEnter();
    // Runs (bSend) or only finds the command of a key press: the user's bindings, then
    // accelerator table 128, then the desktop keys. A text field with the focus keeps its
    // editing keys and the keys of bindings without Ctrl or Alt. True when a table took it.
    bool TranslateKey(QObject* pReceiver, const QKeyEvent* pKey, bool bSend);
    // The mouse's back and forward buttons, and Ctrl with the wheel over a page.
    bool TranslatePointer(QObject* pReceiver, QEvent* pEvent);
    // Writes the desktop keys into the menu items that show no key.
    void DecorateDesktopKeys();
    void SendKeyCommand(int nID);
    bool IsInsideView(QObject* pReceiver) const;
    void OnIdle();
    void UpdateCapsIndicator();

    CNuvBrowserDoc* m_pDoc;
    IFrameView* m_pActiveView = nullptr;
    CAppCommands m_appCommands;
    CCommandRouter m_router;
    std::unique_ptr<CAccelTable> m_pAccelTable;  // accelerator table 128
    std::unique_ptr<CAccelTable> m_pDesktopKeys; // the keys every desktop browser has
    std::unique_ptr<CAccelTable> m_pFieldKeys;   // editing keys a focused text field keeps
    int m_nWheelSteps = 0;                       // Ctrl + wheel turned less than a notch
    QMenuBar* m_pMenuBar = nullptr;
    QToolBar* m_pToolBar = nullptr;
    CAddressBar* m_pAddressBar = nullptr;
    CAddressCompleter* m_pCompleter = nullptr;
    CCommandBands* m_pCommandBands = nullptr;
    QLabel* m_pMessagePane = nullptr;
    QLabel* m_pCapsPane = nullptr;
    CPageNote* m_pNoticeNote = nullptr; // a notice over the page while the status bar is hidden
    QTimer* m_pNoticeTimer = nullptr;
    CKeyRouter* m_pKeyRouter = nullptr;
    bool m_bCreated = false;
};
