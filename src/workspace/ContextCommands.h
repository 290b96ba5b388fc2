// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <optional>

class CCmdTarget;
class CNuvBrowserForm;
class CPaneWnd;
class QEvent;
class QLineEdit;
class QMenu;
class QWidget;

// The context menus of the workspace: the page menu of the active HTML pane and the menu of
// the address field, the presses and keys that ask for them, and the commands only the page
// menu offers (open a link, image or frame in a new pane, copy a link's address).
//
// A request is posted and handled once the current event is done: the page menu first asks
// the pane what lies under the point, so it opens a moment later, when the page answered.
// The chosen command is posted to the main window and runs through its command routing
// after the menu has closed.
class CContextCommands : public QObject
{
    Q_OBJECT
public:
    enum : int
    {
        CONTEXT_PAGE = 0,
        CONTEXT_ADDRESS = 1,
    };

    // One item of a menu: a command (enabled or grayed), or a separator (id 0).
    struct MenuItem
    {
        MenuItem() = default;
        MenuItem(int id, bool enabled = true, const QString& ownText = QString())
            : nID(id), bEnabled(enabled), text(ownText)
        {
        }
        int nID = 0;
        bool bEnabled = true;
        QString text; // a text of its own (a spelling suggestion); else the command's
        bool operator==(const MenuItem&) const = default;
    };

    explicit CContextCommands(CNuvBrowserForm* pForm);
    ~CContextCommands() override;

    // Binds the menu's own commands (32900 ... 32903) in the form's command table.
    void MapCommands(CCmdTarget& target);

    // Posts a request for the menu of kind CONTEXT_PAGE or CONTEXT_ADDRESS at a point of the
    // window (in its coordinates).
    void PostContextRequest(QWidget* pWindow, int nKind, const QPoint& ptClient);
    // The posted request: dropped without an active pane or when the window is gone.
    void OnContextRequest(int nKind, QWidget* pWindow, const QPoint& ptClient);

    // Sees the pointer presses and keys aimed at the workspace's widgets first: the right
    // button, Alt + left button, the Menu key and Shift+F10 on the active page ask for the
    // page menu (the keys for the element with the keyboard focus, beside it); a right press on the
    // favorites tree or the tab strip acts as a left press.
    bool PreTranslateMessage(QObject* pReceiver, QEvent* pEvent);

    // The items of the page menu for the flags of an inspection of the pane.
    static QList<MenuItem> ComposePageMenu(const CPaneWnd* pPane, int nFlags);
    // The items of the address field's menu.
    static QList<MenuItem> ComposeAddressMenu(const QLineEdit* pEdit);

    // The context menu on screen; null when none is open.
    QMenu* ActiveMenu() const;

    // Whether the user may open or save `address`, a link, image or frame of the pane's page:
    // a local file only from a local page, as the engine rules for the page's own
    // navigations. When not, the status bar says so.
    static bool MayOpenFromPane(CNuvBrowserForm* pForm, const CPaneWnd* pPane,
                                const QString& address);

    void OnOpenLinkInNewWindow();
    void OnOpenImageInNewWindow();
    void OnOpenFrameInNewWindow();
    void OnCopyShortcut();
    void OnSpellReplace();
    void OnSpellAddWord();

    // Suggestions the page menu offers at most.
    static constexpr int kMaxSuggestions = 5;

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    // The menu of what lies at ptScreen, shown at ptMenu (default: the same point).
    void ShowPageMenu(const QPoint& ptScreen, std::optional<QPoint> ptMenu = std::nullopt);
    // The Menu key or Shift+F10 on the page.
    void OnContextKey();
    void ShowMenu(const QList<MenuItem>& items, const QPoint& ptScreen);
    void PostCommand(int nID);
    void OpenInNewPane(const CPaneWnd* pFrom, const QString& address);
    // Keeps the release of a press that was taken from a page away from it too.
    void SwallowRelease(QWidget* pReceiver, Qt::MouseButton nButton);
    bool IsRightPressTarget(QObject* pReceiver) const;

    CNuvBrowserForm* m_pForm;
    QString m_strSpellChoice; // the suggestion chosen in the menu
    QPointer<QMenu> m_pMenu;
    QPointer<QWidget> m_pSwallowTarget;
    Qt::MouseButton m_nSwallowButton = Qt::NoButton;
};
