// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;
class IBrowserEvents;

// Command ids of ExecWB and QueryStatus.
enum : int
{
    OLECMDID_PRINT = 6,
    OLECMDID_CUT = 11,
    OLECMDID_COPY = 12,
    OLECMDID_PASTE = 13,
    OLECMDID_SELECTALL = 17,
    OLECMDID_ZOOM = 19,
};

// Execution options of ExecWB.
enum : int
{
    OLECMDEXECOPT_DODEFAULT = 0,
    OLECMDEXECOPT_PROMPTUSER = 1,
    OLECMDEXECOPT_DONTPROMPTUSER = 2,
};

// QueryStatus flag bits.
enum : int
{
    OLECMDF_SUPPORTED = 1,
    OLECMDF_ENABLED = 2,
};

// The command argument of CommandStateChange.
enum : int
{
    CSC_UPDATECOMMANDS = -1,
    CSC_NAVIGATEFORWARD = 1,
    CSC_NAVIGATEBACK = 2,
};

// ReadyState: 4 once the whole page (not only a frame) is complete.
enum : int
{
    READYSTATE_UNINITIALIZED = 0,
    READYSTATE_LOADING = 1,
    READYSTATE_INTERACTIVE = 3,
    READYSTATE_COMPLETE = 4,
};

// Zoom levels of OLECMDID_ZOOM: 0 smallest .. 4 largest.
enum : int
{
    BROWSER_ZOOM_LEVELS = 5
};

// How a page asks for a new window. A link opened with the middle button or with Ctrl asks for
// a tab behind the page, one opened with Ctrl+Shift (or a page's plain target or window.open)
// for a tab in front; a page's pop-up with a size of its own for a window.
enum class BrowserWindowRequest
{
    Window,
    ForegroundTab,
    BackgroundTab,
};

// One element on the path from a point of the page outwards, as QueryElementsAt reports it.
// An attribute the element does not have is a null string; `href` and `src` are resolved
// against the element's document, except the `src` of a FRAME, which is the attribute text.
struct BrowserElement
{
    QString tag; // upper case: "A", "IMG", "INPUT", "FRAME", "BODY", ...
    QString href;
    QString src;
    QString type;
};

// The answer of QueryElementsAt: bOk is false when the page went away, had no document or
// did not answer in time; `path` starts with the element at the point.
struct BrowserElementPath
{
    bool bOk = false;
    QList<BrowserElement> path;
    // In an editable field: the misspelled word under the point and the spell checker's
    // suggestions for it (best first); empty elsewhere.
    QString misspelledWord = {};
    QStringList suggestions = {};
};

// The document properties that the engine can only report asynchronously. A field that
// could not be read is empty (std::nullopt); bOk is false when there was no answer at all.
struct BrowserDocumentInfo
{
    bool bOk = false;
    std::optional<QString> url;
    std::optional<QString> mimeType; // the type text: "HTML Document", "GIF Image", ...
    std::optional<QString> title;
    std::optional<QString> lastModified;
    std::optional<QString> protocol;
    std::optional<QString> fileSize;
};

// The element that has the keyboard focus in the page (a link or field reached with Tab): its
// first box, in the window's client coordinates. bOk is false when no element has it (the
// document itself has it) or there was no answer.
struct BrowserFocus
{
    bool bOk = false;
    QRect rect;
};

// The markup of the page's body element; bOk false when it could not be read.
struct BrowserMarkup
{
    bool bOk = false;
    QString text;
};

// What BeforeNavigate2 tells about a navigation besides its address.
struct BrowserNavigation
{
    QString address; // null when the engine gave none
    bool bMainFrame = true;
    bool bHistory = false;  // back or forward
    bool bRedirect = false; // the server sent the page on to this address
};

// How deeply a page behind the others sleeps: frozen (its scripts and timers stop), or discarded
// (its render process and drawing are given back; shown again, it loads anew from its own
// back/forward history, at the place it was).
enum class BrowserSleep
{
    Awake,
    Frozen,
    Discarded,
};

// What the sleep of a hidden page depends on, as the engine and the page report it now.
struct BrowserSleepFacts
{
    BrowserSleep state = BrowserSleep::Awake;
    // The deepest sleep the engine recommends for the page: a page whose form was touched or
    // that shows a PDF document is only frozen, one that is shown or plays sound stays awake.
    BrowserSleep deepest = BrowserSleep::Discarded;
    bool bAudible = false; // it played sound a moment ago
    bool bBusy = false;    // a download, a print or a dialog of the page is in progress
};

// The browser control: one per HTML pane, the pane's window. It offers exactly the calls
// and events its pane needs. Calls marked "at once" answer before they return; queries the
// engine answers only asynchronously take a continuation instead.
//
// Continuations: called exactly once, with a failure value (the default-constructed result,
// bOk false) when the page is gone or the engine gave no answer. They may run before the
// call returns. The pane layer adds the time limit and makes sure none runs after its pane
// was deleted (see PaneContinuation.h); a control never calls one after it was destroyed.
//
// State the engine reports by events (address, title, history, ready state, zoom,
// selection) is kept by the control and read at once.
class IBrowserControl
{
public:
    using ElementsDone = std::function<void(const BrowserElementPath&)>;
    using DocumentDone = std::function<void(const BrowserDocumentInfo&)>;
    using MarkupDone = std::function<void(const BrowserMarkup&)>;
    using FocusDone = std::function<void(const BrowserFocus&)>;
    using ResultDone = std::function<void(bool)>;

    virtual ~IBrowserControl() = default; // Quit: the page ends with the control

    // The control's window; the pane's window is this widget.
    virtual QWidget* Widget() = 0;
    // The window that shows the document and receives the presses on it: the control's
    // window or one inside it; null while there is none.
    virtual QWidget* PageView() const = 0;
    // Events go to this sink (null: nowhere). The pane sets itself after creation.
    virtual void SetEventSink(IBrowserEvents* pSink) = 0;

    // --- IWebBrowser2, at once -----------------------------------------------------------
    // Starts loading an address; false when it cannot be started. A scheme-less address
    // becomes file:// for an existing file, else http://.
    virtual bool Navigate2(const QString& address) = 0;
    virtual void GoBack() = 0;
    virtual void GoForward() = 0;
    virtual void GoHome() = 0;
    virtual void GoSearch() = 0;
    virtual void Stop() = 0;
    virtual void Refresh() = 0;
    virtual void SetLeft(int x) = 0;         // put_Left: moves the window, size unchanged
    virtual void SetHeight(int cy) = 0;      // put_Height
    virtual QString LocationURL() const = 0; // the top document's address
    virtual int ReadyState() const = 0;

    // --- back/forward history, at once --------------------------------------------------------
    // The history as bytes that RestoreHistory of a later run reads back; empty when there is
    // none or the engine cannot save it.
    virtual QByteArray SaveHistory() const = 0;
    // Replaces the history with saved bytes and loads its current page, as Navigate2 loads an
    // address. False, with nothing changed, when the bytes cannot be read (damaged, or written
    // by another engine version).
    virtual bool RestoreHistory(const QByteArray& bytes) = 0;

    // --- commands, at once ----------------------------------------------------------------
    // Cut, copy, paste, select all (option 0), print (option 1: the user is asked) and zoom
    // (option 2): `pnIn` set sets the zoom level 0..4, `pnOut` receives it. False when the
    // command was not carried out.
    virtual bool ExecWB(int nCmdID, int nCmdExecOpt, const int* pnIn = nullptr,
                        int* pnOut = nullptr) = 0;
    // OLECMDF_* bits for cut, copy or paste.
    virtual int QueryStatus(int nCmdID) const = 0;
    // The document's find prompt; false when there is no document.
    virtual bool ExecFind() = 0;
    // The selected text; false when there is no document.
    virtual bool GetSelectedText(QString* pText) const = 0;
    // Whether a field of the page that takes typing (a text input, a text area, an editable
    // element) has the page's focus.
    virtual bool IsEditingText() const = 0;
    // Spelling: replaces the misspelled word of the last element query by `word`; adds the
    // word to the user's word list. Controls without a spell checker do nothing.
    virtual void ReplaceMisspelledWord(const QString& word) { Q_UNUSED(word); }
    virtual void AddWordToDictionary(const QString& word) { Q_UNUSED(word); }

    // --- sleep, at once ------------------------------------------------------------------------
    virtual BrowserSleepFacts SleepFacts() const = 0;
    // Puts a hidden page to sleep (a page that is shown stays awake). A page wakes by itself
    // when it is shown again; SleepChange reports every change.
    virtual void SetSleep(BrowserSleep state) = 0;

    // --- document queries, by continuation --------------------------------------------------
    // The elements at a point of the window's client area, from the element at the point
    // outwards up to and including BODY or HTML.
    virtual void QueryElementsAt(const QPoint& ptClient, ElementsDone done) = 0;
    virtual void QueryDocumentInfo(DocumentDone done) = 0;
    virtual void QueryBodyMarkup(MarkupDone done) = 0;
    virtual void QueryFocus(FocusDone done) = 0;
    // Saves the shown document into a file; true once the file is complete.
    virtual void SaveDocument(const QString& path, ResultDone done) = 0;
    // Downloads an address into a file with the page's cookies; the file appears only when
    // the download completed.
    virtual void SaveAddressToFile(const QString& address, const QString& path,
                                   ResultDone done) = 0;
};

// The events of the control, delivered to its sink while the control is inside an engine
// callback: a handler must not delete the control (see CHtmlPane's quit handling).
class IBrowserEvents
{
public:
    virtual void OnStatusTextChange(const QString& text) = 0;
    // nCommand CSC_*; only the low 16 bits of nEnable count.
    virtual void OnCommandStateChange(int nCommand, int nEnable) = 0;
    // From the start of a navigation until it completes, stops or fails, nProgress is above 0.
    virtual void OnProgressChange(int nProgress, int nProgressMax) = 0;
    // Every navigation of the main frame that commits (also a reload, the same address again,
    // an answer from the cache) reports its address first, with bAddress set, then the page's
    // own title, if it has one, with bAddress clear. Only the control's own address reports
    // are addresses: a page may give itself any title, also one that looks like an address.
    virtual void OnTitleChange(const QString& text, bool bAddress) = 0;
    // Setting *pbCancel refuses the navigation.
    virtual void OnBeforeNavigate2(const BrowserNavigation& nav, bool* pbCancel) = 0;
    // The page asks for a new window. Put the control that is to show it into *ppDisp, or
    // set *pbCancel; with neither the page gets no window.
    virtual void OnNewWindow2(IBrowserControl** ppDisp, bool* pbCancel,
                              BrowserWindowRequest request) = 0;
    virtual void OnQuit() = 0;
    virtual void OnDocumentComplete(const QString& address) = 0;
    // The page went to sleep or woke up.
    virtual void OnSleepChange(BrowserSleep state) = 0;

protected:
    ~IBrowserEvents() = default;
};
