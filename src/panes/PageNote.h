// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QPointer>

// A short note over the page, where the user looks (the status bar is hidden by default):
// by itself, what runs and how to stop it, at the top right corner of the page, for as long
// as the pane shows it. Presses go through it to the page.
class CPageNote : public QLabel
{
    Q_OBJECT
public:
    // pView: the control's window, the note's parent.
    explicit CPageNote(QWidget* pView);

    // Shows the text over pPage, the part of the view that shows the page (the view itself or
    // a child of it; null: the view); an empty text hides the note.
    virtual void ShowText(const QString& text, QWidget* pPage);
    // Where the note goes now (in the view's coordinates).
    virtual void Place();

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;
    // The page's part of the view, in the view's coordinates.
    QRect PageRect() const;
    // The text shortened to fit nWidth pixels with the frame, set, and the size it takes.
    QSize FitText(int nWidth, int nHeight);

    QString m_strText;

private:
    QPointer<QWidget> m_pPage;
};
