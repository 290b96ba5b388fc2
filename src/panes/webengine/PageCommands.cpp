// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/PageCommands.h"

#include "panes/BrowserControl.h"

#include <QAction>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cmath>

namespace {
const qreal kZoomFactors[BROWSER_ZOOM_LEVELS] = {0.75, 0.9, 1.0, 1.25, 1.5};
} // namespace

qreal CPageCommands::ZoomFactor(int nLevel)
{
    return kZoomFactors[qBound(0, nLevel, BROWSER_ZOOM_LEVELS - 1)];
}

bool CPageCommands::Exec(QWebEngineView* pView, int nCmdID, const int* pnIn, int* pnOut)
{
    QWebEnginePage* pPage = pView->page();
    switch (nCmdID) {
    case OLECMDID_CUT:
        pPage->triggerAction(QWebEnginePage::Cut);
        return true;
    case OLECMDID_COPY:
        pPage->triggerAction(QWebEnginePage::Copy);
        return true;
    case OLECMDID_PASTE:
        pPage->triggerAction(QWebEnginePage::Paste);
        return true;
    case OLECMDID_SELECTALL:
        pPage->triggerAction(QWebEnginePage::SelectAll);
        return true;
    case OLECMDID_ZOOM: {
        if (pnIn) {
            if (*pnIn < 0 || *pnIn >= BROWSER_ZOOM_LEVELS)
                return false;
            pPage->setZoomFactor(ZoomFactor(*pnIn));
        }
        if (pnOut) {
            // The level whose factor is nearest to the page's.
            const qreal factor = pPage->zoomFactor();
            int nBest = 0;
            for (int i = 1; i < BROWSER_ZOOM_LEVELS; ++i)
                if (std::abs(kZoomFactors[i] - factor) < std::abs(kZoomFactors[nBest] - factor))
                    nBest = i;
            *pnOut = nBest;
        }
        return true;
    }
    default:
        return false;
    }
}

int CPageCommands::QueryStatus(const QWebEngineView* pView, int nCmdID)
{
    QWebEnginePage::WebAction action;
    switch (nCmdID) {
    case OLECMDID_CUT:
        action = QWebEnginePage::Cut;
        break;
    case OLECMDID_COPY:
        action = QWebEnginePage::Copy;
        break;
    case OLECMDID_PASTE:
        action = QWebEnginePage::Paste;
        break;
    default:
        return 0;
    }
    bool bEnabled = pView->page()->action(action)->isEnabled();
    // The engine offers Paste everywhere and Cut for any selection; both only work in a
    // field that takes text, and the page's inner widget takes input only while such a field
    // has the focus.
    if (action != QWebEnginePage::Copy) {
        const QWidget* pInner = pView->focusProxy() ? pView->focusProxy() : pView;
        bEnabled = bEnabled && pInner->inputMethodQuery(Qt::ImEnabled).toBool();
    }
    return OLECMDF_SUPPORTED | (bEnabled ? OLECMDF_ENABLED : 0);
}
