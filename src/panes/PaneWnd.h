// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QProgressBar>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class IBrowserControl;
class IPaneHost;
class IPaneTabs;

// Pane kinds.
enum : int
{
    PANE_HTML = 1,
    PANE_TEXT = 2,
};

// InspectAt result flags.
enum : int
{
    PANE_HAS_FRAME = 1,
    PANE_HAS_LINK = 2,
    PANE_HAS_IMAGE = 4,
};

// A layout rectangle in the form's client coordinates; right and bottom are exclusive.
struct PaneRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const PaneRect&) const = default;
};

// What Save As saves: the document's address and its type text.
struct PaneSaveInfo
{
    bool bOk = false;
    QString address;
    QString type;
};

// How a save ended: the file is complete, it failed, or the user stopped it (Stop while it ran).
enum class SaveResult
{
    Saved,
    Failed,
    Cancelled,
};

// Document properties for the Properties dialog; a property that could not be read is
// empty (std::nullopt), and the dialog leaves its field as it was.
struct PaneProperties
{
    std::optional<QString> title;
    std::optional<QString> protocol;
    std::optional<QString> type;
    std::optional<QString> size;
    std::optional<QString> modified;
    std::optional<QString> address;
};

// The content of one tab: the abstract pane with its operations and the state both kinds
// share. A pane is made by CreatePane, created with Create, linked by the workspace with
// Link, and deletes itself in Close.
//
// Operations whose answer comes from the engine take a continuation. It runs exactly once,
// possibly before the operation returns (when the answer is known at once), with a failure
// value when the page went away or did not answer within QueryTimeout(), and never after
// this pane was deleted. A caller that touches other objects in it guards them itself.
class CPaneWnd : public QObject
{
    Q_OBJECT
public:
    using SaveDone = std::function<void(SaveResult)>;
    using SaveInfoDone = std::function<void(const PaneSaveInfo&)>;
    using InspectDone = std::function<void(int nFlags)>;
    using PropertiesDone = std::function<void(const PaneProperties&)>;
    using SourceDone = std::function<void(bool bOk, const QString& text)>;
    using FocusDone = std::function<void(const QRect& rcScreen)>;

    CPaneWnd();
    ~CPaneWnd() override;

    // The 37 pane operations.
    virtual bool Create(IPaneHost* pForm, const PaneRect& rc, IBrowserControl** ppDisp,
                        bool bFavoritesShown, bool bActivate) = 0;
    virtual int GetPaneKind() const = 0;
    virtual bool Navigate(const QString& address, bool bRecordTyped, bool bActivate) = 0;
    virtual void GetSaveInfo(SaveInfoDone done) = 0;
    virtual void SaveAddressToFile(const QString& address, const QString& path, SaveDone done) = 0;
    virtual void SaveDocument(const QString& path, SaveDone done) = 0;
    virtual void Copy() = 0;
    virtual void Cut() = 0;
    virtual void Find() = 0;
    virtual void Paste() = 0;
    virtual void SelectAll() = 0;
    virtual void Print() = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    // nCommand 11 cut, 12 copy, 13 paste.
    virtual bool IsCommandEnabled(int nCommand) const = 0;
    virtual bool OwnsWindow(const QWidget* pWnd) const = 0;
    // Whether a text field of the pane's document has the keyboard focus.
    virtual bool IsEditingText() const { return false; }
    // Classifies the element at a point in screen coordinates: PANE_HAS_* flags.
    virtual void InspectAt(const QPoint& ptScreen, InspectDone done) = 0;
    // The box of the element that has the keyboard focus in the pane's document, in screen
    // coordinates; a null rectangle when no element has it.
    virtual void GetFocusRect(FocusDone done) { done(QRect()); }
    virtual bool CanGoBack() const = 0;
    virtual bool CanGoForward() const = 0;
    virtual void SetHeight(int cy) = 0;
    virtual void SetLeft(int x) = 0;
    virtual QString GetAddress() const = 0;
    virtual QString GetLinkAddress() const = 0;
    // The misspelled word found by the last InspectAt in an editable field, and the spell
    // checker's suggestions for it; empty when there was none.
    virtual QString GetMisspelledWord() const { return QString(); }
    virtual QStringList GetSpellingSuggestions() const { return QStringList(); }
    virtual QString GetImageAddress() const = 0;
    virtual int UpdateTextSize() = 0;
    virtual int SetTextSize(int nLevel) = 0;
    virtual bool GetSelectedText(QString* pText) const = 0;
    // The recent-address list, newest first (all entries, empty ones included).
    virtual QStringList GetRecentAddresses() const = 0;
    virtual void GetProperties(PropertiesDone done) = 0;
    // Re-parents the pane's window (no parent for null); returns the previous parent. The
    // window is hidden until Activate shows it again.
    virtual QWidget* SetParentWnd(QWidget* pParent) = 0;
    virtual void ShowAddress() = 0;
    virtual void GetSource(SourceDone done) = 0;
    virtual void SetText(const QString& text) = 0;

    // For the session file: the page's back/forward history as bytes, empty when the pane
    // has none that can be saved; and the first load of a pane that comes back with such a
    // history: its current page loads, or the address when the history cannot be read.
    virtual QByteArray SaveHistory() const { return QByteArray(); }
    virtual bool NavigateWithHistory(const QByteArray& /*history*/, const QString& address,
                                     bool bActivate)
    {
        return Navigate(address, false, bActivate);
    }

    // The links the workspace sets right after Create; any may be null.
    void Link(IPaneTabs* pTabCtrl, QProgressBar* pProgress, QLineEdit* pAddressEdit);

    void Activate(bool bFavoritesShown);
    void Deactivate();
    int GetTabIndex() const;
    // The title the pane's tab shows.
    QString GetTitle() const;
    // The title of what the pane shows: the tab shows it.
    void SetTitle(const QString& title);
    const QString& PageTitle() const { return m_strPageTitle; }
    // The tab shows the text (an address on its way) in place of the pane's title until
    // ShowPageTitle, or SetTitle for the page that arrives.
    void ShowLoadingTitle(const QString& text);
    void ShowPageTitle();
    void SetFavoritesShown(bool bShown);
    void SetProgress(int nProgress, int nProgressMax);
    // Resets the progress bar, removes the tab, tells the workspace and deletes the pane.
    // Nothing may touch the pane afterwards.
    void Close();

    // The pane's window: the browser control's or the text control's; null before Create.
    QWidget* Window() const { return m_hWnd; }
    bool IsActive() const { return m_bActive; }
    bool IsFavoritesShown() const { return m_bFavoritesShown; }
    const PaneRect& PaneRectangle() const { return m_rcPane; }
    const QString& StatusText() const { return m_strStatusText; }

    // How long an engine query may take before it counts as failed.
    int QueryTimeout() const { return m_nQueryTimeoutMs; }
    void SetQueryTimeout(int nMs) { m_nQueryTimeoutMs = nMs; }

protected:
    // The first step of Create: remembers the form and the layout rectangle, and returns
    // the rectangle the window starts in (at x = 0 without the favorites panel).
    PaneRect BeginCreate(IPaneHost* pForm, const PaneRect& rc, bool bFavoritesShown);
    // The form's window; null without a form.
    QWidget* FormWindow() const;
    // Re-parents the window; it stays hidden until it is shown again. Returns the previous
    // parent.
    QWidget* ReparentWindow(QWidget* pParent);
    // Moves the window (with repaint) to the layout rectangle, starting at x = 0 when the
    // favorites panel is not shown.
    void MoveToPaneRect();

    IPaneHost* m_pForm = nullptr;
    IPaneTabs* m_pTabCtrl = nullptr;
    QPointer<QProgressBar> m_pProgress;
    QPointer<QLineEdit> m_hAddressEdit;
    PaneRect m_rcPane;
    bool m_bActive = false;
    bool m_bFavoritesShown = true;
    QString m_strStatusText;
    QPointer<QWidget> m_hWnd;

private:
    void SetLabelTitle(const QString& title);

    int m_nQueryTimeoutMs = 2000;
    QString m_strPageTitle;
};

// A new pane of the kind (not yet created); null for an unknown kind.
CPaneWnd* CreatePane(int nKind);
