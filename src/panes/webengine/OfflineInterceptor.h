// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWebEngineUrlRequestInterceptor>

class QUrl;

// Refuses the engine's network requests while the program works offline; pages already
// in memory and local content (files, resources, data: and blob: addresses) stay
// reachable. It also keeps pages from files outside their reach (MayFetchLocalFile).
// Installed once on the shared profile.
class COfflineInterceptor : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT
public:
    explicit COfflineInterceptor(QObject* pParent = nullptr);

    // Whether a request for `url` is refused in the given state: only while offline, and
    // only for addresses that go out to the network (http, https, ws, wss, ftp).
    static bool IsBlocked(const QUrl& url, bool bOffline);

    void interceptRequest(QWebEngineUrlRequestInfo& info) override;
};
