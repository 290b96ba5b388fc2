// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QWebEngineFindTextResult;
class QWebEnginePage;

// The find bar of one page, docked along the bottom of its control: the page is laid out
// above it, so a match found is never under the bar. Typing searches as it goes; Enter finds
// the next match, Shift+Enter the previous one; the bar tells "n of m" or that there is no
// match; Esc closes it and clears the marked matches.
class CFindBar : public QWidget
{
    Q_OBJECT
public:
    // The property that makes the frame's key routing leave Esc to a widget.
    static constexpr const char* kKeepsEscape = "nuvKeepsEscape";

    CFindBar(QWebEnginePage* pPage, QWidget* pParent);

    // Shows the bar with the focus in its field; the text there is searched again.
    void Open();
    // Hides the bar and clears the marked matches.
    void Close();
    void FindNext(bool bBackward);

    QLineEdit* Field() const { return m_pText; }
    QString Status() const; // "2 of 5", "No matches" or empty

signals:
    void closed();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    void ShowResult(const QWebEngineFindTextResult& result);

    QWebEnginePage* m_pPage;
    QLineEdit* m_pText;
    QLabel* m_pStatus;
};
