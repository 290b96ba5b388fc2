// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEnginePage>

class CWebEngineControl;

// The page of one control: hands the engine's navigation and new-window questions to the
// control, which turns them into the control's events.
class CWebEnginePage : public QWebEnginePage
{
    Q_OBJECT
public:
    CWebEnginePage(QWebEngineProfile* pProfile, CWebEngineControl* pControl);

    CWebEngineControl* Control() const { return m_pControl; }
    // A field that takes typing has the page's focus (in any frame), as the page's script
    // last told; false again when another document starts to load.
    bool IsEditingText() const { return m_bEditingText; }

signals:
    // The page (or a frame of it) asked for a window without the user's gesture, and the
    // engine refused it.
    void popupBlocked();

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage* createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int nLine, const QString& source) override;

private:
    void AddScript(const char* pszName, const QString& source, int nWorld);

    CWebEngineControl* m_pControl;
    // The editing notices of this page's own script begin with it: the page cannot read it
    // (the script runs out of its reach), so it cannot make such notices up.
    QString m_strEditingMark;
    bool m_bEditingText = false;
};
