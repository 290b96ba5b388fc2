// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class CWebEngineDownloads;
class QWebEngineProfile;

// The one profile every page shares: persistent storage (cookies, local storage) under
// $XDG_DATA_HOME/nuvBrowser/WebEngine and the disk cache under $XDG_CACHE_HOME/nuvBrowser,
// made at the first call and released with the application object.
QWebEngineProfile* NuvWebEngineProfile();

// The saves and downloads of the controls, carried out by that profile.
CWebEngineDownloads* NuvWebEngineDownloads();
