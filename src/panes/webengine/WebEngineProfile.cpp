// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/WebEngineProfile.h"

#include "panes/webengine/OfflineInterceptor.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "platform/Paths.h"
#include "platform/SpellCheck.h"

#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QStandardPaths>
#include <QWebEngineProfile>

#include <algorithm>

namespace {
// Switches of the engine's own, read once when its first profile is made. Pages of one site
// share a render process: ten pages of one site cost one process, not ten. Without site
// isolation the engine files every site under one default site, so that sharing is turned
// off: pages of different sites keep processes apart.
void AddEngineSwitches()
{
    const QByteArray kPerSite = "--process-per-site";
    const QByteArray kDisable = "--disable-features=";
    const QByteArray kNoDefaultSite = "ProcessSharingWithDefaultSiteInstances";
    QList<QByteArray> switches = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").split(' ');
    switches.removeAll(QByteArray());
    if (!switches.contains(kPerSite))
        switches.append(kPerSite);
    auto disable = std::find_if(switches.begin(), switches.end(),
                                [&](const QByteArray& s) { return s.startsWith(kDisable); });
    if (disable == switches.end())
        switches.append(kDisable + kNoDefaultSite);
    else if (!disable->mid(kDisable.size()).split(',').contains(kNoDefaultSite))
        *disable += (disable->size() > kDisable.size() ? "," : "") + kNoDefaultSite;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", switches.join(' '));
}

// The locale's dictionary (or English) while the user wants the check and one is there.
void ApplySpellCheck(QWebEngineProfile* pProfile, const QString& dictionaries)
{
    const QStringList languages =
        ChooseSpellLanguages(SpellLocale(), SpellDictionaryLanguages(dictionaries));
    const auto apply = [pProfile, languages](bool bEnabled) {
        pProfile->setSpellCheckLanguages(languages);
        pProfile->setSpellCheckEnabled(bEnabled && !languages.isEmpty());
    };
    apply(CSpellState::Instance()->IsEnabled());
    QObject::connect(CSpellState::Instance(), &CSpellState::enabledChanged, pProfile, apply);
}
} // namespace

QWebEngineProfile* NuvWebEngineProfile()
{
    static QPointer<QWebEngineProfile> s_pProfile;
    if (!s_pProfile) {
        AddEngineSwitches();
        // The engine looks for its spelling dictionaries once, where this names.
        const QString dictionaries = SpellDictionaryFolder();
        if (!dictionaries.isEmpty() && qEnvironmentVariableIsEmpty("QTWEBENGINE_DICTIONARIES_PATH"))
            qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(dictionaries));
        // A named profile writes its first file (its preferences) into the application's
        // default data folder before any of its paths can be set, and that folder is named
        // after the organisation and the application (the window class). While the profile
        // is made, those names point into our own folder.
        const QString app = QCoreApplication::applicationName();
        const QString org = QCoreApplication::organizationName();
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QStringLiteral("nuvBrowser"));
        auto* pProfile =
            new QWebEngineProfile(QStringLiteral("nuvBrowser"), QCoreApplication::instance());
        QCoreApplication::setApplicationName(app);
        QCoreApplication::setOrganizationName(org);
        pProfile->setPersistentStoragePath(NuvDataHome() + QStringLiteral("/WebEngine"));
        pProfile->setCachePath(
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
            QStringLiteral("/nuvBrowser"));
        pProfile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        pProfile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        pProfile->setUrlRequestInterceptor(new COfflineInterceptor(pProfile));
        // From the start: the downloads the pages begin on their own arrive here too.
        new CWebEngineDownloads(pProfile);
        ApplySpellCheck(pProfile, dictionaries);
        s_pProfile = pProfile;
    }
    return s_pProfile;
}

CWebEngineDownloads* NuvWebEngineDownloads()
{
    return NuvWebEngineProfile()->findChild<CWebEngineDownloads*>(QString(),
                                                                  Qt::FindDirectChildrenOnly);
}
