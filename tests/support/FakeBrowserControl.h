// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/BrowserControl.h"
#include "panes/BrowserControlFactory.h"

#include <QList>
#include <QPointer>
#include <QStringList>
#include <QWidget>

#include <memory>

// A scripted browser control: records every call in Calls() ("Navigate2 http://a/", "GoBack",
// "ExecWB 12 0", ...), raises any event on demand, and keeps the continuations of the
// document queries until the test answers them (or drops them).
class CFakeBrowserControl : public QWidget, public IBrowserControl
{
    Q_OBJECT
public:
    explicit CFakeBrowserControl(QWidget* pParent = nullptr);
    ~CFakeBrowserControl() override;

    QWidget* Widget() override { return this; }
    QWidget* PageView() const override { return const_cast<CFakeBrowserControl*>(this); }
    void SetEventSink(IBrowserEvents* pSink) override { m_pSink = pSink; }

    bool Navigate2(const QString& address) override;
    void GoBack() override { Record("GoBack"); }
    void GoForward() override { Record("GoForward"); }
    void GoHome() override { Record("GoHome"); }
    void GoSearch() override { Record("GoSearch"); }
    void Stop() override { Record("Stop"); }
    void Refresh() override { Record("Refresh"); }
    void SetLeft(int x) override;
    void SetHeight(int cy) override;
    QString LocationURL() const override { return m_strLocation; }
    int ReadyState() const override { return m_nReadyState; }
    QByteArray SaveHistory() const override { return m_history; }
    // Reads back only what a fake's history holds: bytes that begin with kHistoryMark.
    bool RestoreHistory(const QByteArray& bytes) override;
    bool ExecWB(int nCmdID, int nCmdExecOpt, const int* pnIn, int* pnOut) override;
    int QueryStatus(int nCmdID) const override;
    bool ExecFind() override;
    bool GetSelectedText(QString* pText) const override;
    bool IsEditingText() const override { return m_bEditingText; }
    BrowserSleepFacts SleepFacts() const override { return m_sleep; }
    // Records "SetSleep N" and, as the engine does, reports the change.
    void SetSleep(BrowserSleep state) override;
    void ReplaceMisspelledWord(const QString& word) override
    {
        Record("ReplaceMisspelledWord " + word);
    }
    void AddWordToDictionary(const QString& word) override
    {
        Record("AddWordToDictionary " + word);
    }

    void QueryElementsAt(const QPoint& ptClient, ElementsDone done) override;
    void QueryDocumentInfo(DocumentDone done) override;
    void QueryBodyMarkup(MarkupDone done) override;
    void QueryFocus(FocusDone done) override { m_focusQueries << std::move(done); }
    void SaveDocument(const QString& path, ResultDone done) override;
    void SaveAddressToFile(const QString& address, const QString& path, ResultDone done) override;

    // Script: state the control reports.
    bool m_bNavigateFails = false;
    QString m_strLocation;
    int m_nReadyState = READYSTATE_COMPLETE;
    int m_nEnabledCommands = 0; // bit (1 << id) for the enabled edit commands
    int m_nZoom = 2;
    bool m_bZoomReadable = true;
    QString m_strSelection;
    bool m_bEditingText = false; // a text field of the page has the focus
    QByteArray m_history;        // what SaveHistory gives; a restored history replaces it
    BrowserSleepFacts m_sleep;   // SetSleep changes its state
    static constexpr const char* kHistoryMark = "fake history";

    // Script: events, as the engine would raise them. The result is the cancel flag.
    void RaiseStatusTextChange(const QString& text);
    void RaiseCommandStateChange(int nCommand, int nEnable);
    void RaiseProgressChange(int nProgress, int nProgressMax);
    // A title the page gave itself, and the control's own report of the page's address.
    void RaiseTitleChange(const QString& text);
    void RaiseAddressChange(const QString& address);
    bool RaiseBeforeNavigate2(const BrowserNavigation& nav);
    bool RaiseBeforeNavigate2(const QString& address);
    // The new window's control (null when none was handed back) and the cancel flag.
    IBrowserControl* RaiseNewWindow2(bool* pbCancel = nullptr,
                                     BrowserWindowRequest request = BrowserWindowRequest::Window);
    void RaiseQuit();
    void RaiseDocumentComplete(const QString& address);

    // Pending continuations, oldest first; answering one removes it.
    QList<ElementsDone> m_elementQueries;
    QList<QPoint> m_elementPoints;
    QList<DocumentDone> m_documentQueries;
    QList<MarkupDone> m_markupQueries;
    QList<FocusDone> m_focusQueries;
    QList<ResultDone> m_saveRequests;

    const QStringList& Calls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    IBrowserEvents* Sink() const { return m_pSink; }

private:
    void Record(const QString& call) { m_calls << call; }

    IBrowserEvents* m_pSink = nullptr;
    QStringList m_calls;
};

// Installs a maker that makes fake controls for as long as it lives, and keeps track of
// the controls made (a destroyed control's entry becomes null).
class CFakeControlFactory
{
public:
    CFakeControlFactory();

    int Count() const { return m_controls.size(); }
    CFakeBrowserControl* Control(int i) const { return m_controls.value(i); }
    CFakeBrowserControl* Last() const { return m_controls.isEmpty() ? nullptr : m_controls.last(); }
    bool m_bFail = false; // make no control

private:
    QList<QPointer<CFakeBrowserControl>> m_controls;
    CBrowserControlFactory::CScopedMaker m_maker;
};
