#include "panes/webengine/WebEngineProfile.h"

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
        s_pProfile = pProfile;
    }
    return s_pProfile;
}
