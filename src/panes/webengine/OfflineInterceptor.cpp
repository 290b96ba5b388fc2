// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/OfflineInterceptor.h"

#include "panes/webengine/LocalFileRule.h"
#include "platform/InternetState.h"

#include <QUrl>
#include <QWebEngineUrlRequestInfo>

COfflineInterceptor::COfflineInterceptor(QObject* pParent)
    : QWebEngineUrlRequestInterceptor(pParent)
{
}

bool COfflineInterceptor::IsBlocked(const QUrl& url, bool bOffline)
{
    if (!bOffline)
        return false;
    static const char* const kNetworkSchemes[] = {"http", "https", "ws", "wss", "ftp"};
    const QString scheme = url.scheme();
    for (const char* network : kNetworkSchemes)
        if (scheme.compare(QLatin1String(network), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void COfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info)
{
    const bool bMainFrame = info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
    if (IsBlocked(info.requestUrl(), IsOffline()) ||
        !MayFetchLocalFile(info.requestUrl(), info.firstPartyUrl(), bMainFrame))
        info.block(true);
}
