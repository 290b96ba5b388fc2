// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtGlobal>

class QWebEngineView;

// The edit and zoom commands of ExecWB and QueryStatus carried out on a web view's page:
// cut, copy, paste, select all, and the five zoom levels.
class CPageCommands
{
public:
    // Runs the command; false for a command it does not know or a zoom level out of range.
    // Zoom: *pnIn (when given) is the level to set, *pnOut (when given) gets the level nearest
    // to the page's zoom.
    static bool Exec(QWebEngineView* pView, int nCmdID, const int* pnIn, int* pnOut);
    // OLECMDF_SUPPORTED, with OLECMDF_ENABLED when the command works now; 0 for a command
    // other than cut, copy and paste.
    static int QueryStatus(const QWebEngineView* pView, int nCmdID);

    // Zoom factors of the levels 0..4.
    static qreal ZoomFactor(int nLevel);
};
