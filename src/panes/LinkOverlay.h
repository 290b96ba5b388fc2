// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "panes/PageNote.h"

#include <QTimer>

// Where a hovered link leads, while the status bar is hidden: a small label at the lower left
// corner of the page, as desktop browsers show it. It moves to the lower right corner while
// the pointer is over the lower left one, so it never covers what the pointer is on, and it
// lets every press through to the page.
class CLinkOverlay : public CPageNote
{
    Q_OBJECT
public:
    // pView: the control's window, the overlay's parent.
    explicit CLinkOverlay(QWidget* pView);

    void ShowText(const QString& text, QWidget* pPage) override;
    // Where the overlay goes now (in the view's coordinates), for the pointer where it is.
    void Place() override;

private:
    // The pointer moves over the page without telling the view: while shown, the overlay
    // looks where it is now and then.
    QTimer m_pointerWatch;
};
