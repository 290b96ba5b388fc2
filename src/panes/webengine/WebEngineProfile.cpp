#include "panes/webengine/WebEngineProfile.h"

#include "panes/webengine/OfflineInterceptor.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "platform/Paths.h"

#include <QCoreApplication>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

QWebEngineProfile* NuvWebEngineProfile()
{
    static QPointer<QWebEngineProfile> s_pProfile;
    if (!s_pProfile) {
        auto* pProfile =
            new QWebEngineProfile(QStringLiteral("nuvBrowser"), QCoreApplication::instance());
        pProfile->setPersistentStoragePath(NuvDataHome() + QStringLiteral("/WebEngine"));
        pProfile->setCachePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
            QStringLiteral("/nuvBrowser"));
        pProfile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        pProfile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        pProfile->setUrlRequestInterceptor(new COfflineInterceptor(pProfile));
        // From the start: the downloads the pages begin on their own arrive here too.
        new CWebEngineDownloads(pProfile);
        s_pProfile = pProfile;
    }
    return s_pProfile;
}

CWebEngineDownloads* NuvWebEngineDownloads()
{
    return NuvWebEngineProfile()->findChild<CWebEngineDownloads*>(QString(),
                                                                  Qt::FindDirectChildrenOnly);
}
