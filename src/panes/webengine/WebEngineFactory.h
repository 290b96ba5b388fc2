// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class IBrowserControl;
class QWidget;

// The browser control over Qt WebEngine, its window a child of pParent. All controls share
// one persistent profile (storage under $XDG_DATA_HOME/nuvBrowser, cache under
// $XDG_CACHE_HOME/nuvBrowser), so cookies survive a restart.
IBrowserControl* CreateWebEngineControl(QWidget* pParent);
