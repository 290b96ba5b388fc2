// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"
#include "panes/webengine/SpellingAtPress.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <memory>

class CFindBar;
class CNoticePage;
class CPageSleep;
class CUserGestures;
class CWebEnginePage;
class CWebEnginePrinter;
class QPrinter;
class QWebEngineLoadingInfo;

// The browser control over Qt WebEngine: one view with its own page, all pages sharing one
// profile. The engine's signals become the control's events in ConnectEngineSignals; the
// state they report is kept here and read at once.
class CWebEngineControl : public QWebEngineView, public IBrowserControl
{
    Q_OBJECT
public:
    explicit CWebEngineControl(QWidget* pParent);
    ~CWebEngineControl() override;

    QWidget* Widget() override { return this; }
    QWidget* PageView() const override { return focusProxy(); }
    void SetEventSink(IBrowserEvents* pSink) override { m_pSink = pSink; }

    bool Navigate2(const QString& address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Stop() override;
    void Refresh() override;
    void SetLeft(int x) override;
    void SetHeight(int cy) override;
    QString LocationURL() const override;
    int ReadyState() const override { return m_nReadyState; }
    QByteArray SaveHistory() const override;
    bool RestoreHistory(const QByteArray& bytes) override;

    bool ExecWB(int nCmdID, int nCmdExecOpt, const int* pnIn, int* pnOut) override;
    int QueryStatus(int nCmdID) const override;
    bool ExecFind() override;
    bool GetSelectedText(QString* pText) const override;
    bool IsEditingText() const override;
    BrowserSleepFacts SleepFacts() const override;
    void SetSleep(BrowserSleep state) override;
    void ReplaceMisspelledWord(const QString& word) override;
    void AddWordToDictionary(const QString& word) override;

    void QueryElementsAt(const QPoint& ptClient, ElementsDone done) override;
    void QueryDocumentInfo(DocumentDone done) override;
    void QueryBodyMarkup(MarkupDone done) override;
    void QueryFocus(FocusDone done) override;
    void SaveDocument(const QString& path, ResultDone done) override;
    void SaveAddressToFile(const QString& address, const QString& path, ResultDone done) override;

    // Reads the platform browser's Main key: "Display Inline Images" = "no" stops the
    // automatic loading of images, "Play_Background_Sounds" = "no" mutes the page.
    void ApplyBrowserSettings();

    // A download the page started reports how far it got, as a ProgressChange of this
    // control: the shared progress bar and the pane's tab show it.
    void ReportDownloadProgress(qint64 nReceived, qint64 nTotal);
    // A download the page started was taken (its save dialog is to open) or refused: a page
    // whose only navigation became the download (a new pane opened for a link or an address
    // handed over) never showed a document and asks to be closed.
    void HandleDownloadStarted();

    // Prints the page on a printer the user chose; a PDF file is written by the engine's
    // own PDF printing. False while another job runs.
    bool StartPrint(std::unique_ptr<QPrinter> pPrinter);
    bool IsPrinting() const;

    // Called by the page.
    bool HandleNavigationRequest(const QUrl& url, QWebEnginePage::NavigationType type,
                                 bool bMainFrame);
    QWebEnginePage* HandleNewWindow(BrowserWindowRequest request);

    // The program's own page shown in place of the engine's; null while the engine's shows.
    const CNoticePage* Notice() const;
    // The find bar; null until the first find.
    CFindBar* FindBar() const { return m_pFindBar; }

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    void childEvent(QChildEvent* pEvent) override;
    void hideEvent(QHideEvent* pEvent) override;

private:
    enum class NoticeKind
    {
        None,
        Crashed,
        Offline
    };

    void ConnectEngineSignals();
    void HandleUrlChanged(const QUrl& url);
    void HandleTitleChanged(const QString& title);
    void HandleHistoryChanged();
    void HandleLoadingChanged(const QWebEngineLoadingInfo& info);
    void HandleLoadProgress(int nPercent);
    void HandleRenderProcessTerminated();
    // An address of another program's scheme: handed to the program for a gesture, never
    // loaded here.
    bool HandleExternalAddress(const QUrl& url, QWebEnginePage::NavigationType type,
                               bool bMainFrame);
    // A window opened for a page that navigated away before it showed anything asks to close.
    void QuitIfOpenedInVain();
    // The page shows a document of its own: not empty, not the blank page of a new window.
    bool HasShownDocument() const;
    // The address of the page that is shown, then its own title when it has one.
    void ReportAddressAndTitle();
    // A PDF document without a title of its own is reported by its file name.
    void NameUntitledDocument();
    void ShowNotice(NoticeKind kind);
    void HideNotice();
    // The page above, the find bar docked below it, the notice over the page's area.
    void LayOutBars();
    // Loads the address a text value of the platform browser's Main key holds (the fallback
    // when it is missing or empty).
    void NavigateToMainValue(const char* name, const QString& fallback);
    // Runs one of our scripts; `answer` gets its result, or an invalid value (later, outside
    // the page's destruction) when the page went away.
    void RunQuery(const QString& script, std::function<void(const QVariant&)> answer);
    // The page's title is only the engine's display form of the address.
    bool IsAddressTitle(const QString& title) const;

    CWebEnginePage* m_pPage = nullptr;
    IBrowserEvents* m_pSink = nullptr;
    int m_nReadyState = READYSTATE_UNINITIALIZED;
    bool m_bCanGoBack = false;
    bool m_bCanGoForward = false;
    bool m_bClosing = false;
    // Set with m_bClosing. The engine answers pending questions while the page, a child, is
    // destroyed, when this object is no longer one: the answers look at this flag alone.
    std::shared_ptr<bool> m_pClosed = std::make_shared<bool>(false);
    bool m_bLoading = false;         // from the start of a navigation until it ends
    bool m_bAddressReported = false; // since the last navigation started
    QString m_strReportedTitle;      // the page's own title, last reported
    NoticeKind m_notice = NoticeKind::None;
    CNoticePage* m_pNotice = nullptr;
    CFindBar* m_pFindBar = nullptr;
    CWebEnginePrinter* m_pPrinter = nullptr;
    CPageSleep* m_pSleep = nullptr;
    CSpellingAtPress m_spelling;
    void RememberSpelling();
    CUserGestures* m_pGestures = nullptr;
};
