// SPDX-License-Identifier: GPL-3.0-or-later
#include "BrowserMainKey.h"

#include "RegKey.h"
#include "StartPageFile.h"

#include <QUrl>

QString CBrowserMainKey::DefaultStartPage()
{
    return CStartPageFile::Address();
}

QString CBrowserMainKey::DefaultSearchPage()
{
    return QStringLiteral("https://duckduckgo.com/");
}

QString CBrowserMainKey::Value(const char* name, const QString& fallback)
{
    QString value;
    CRegKey key;
    if (!key.Open(QString::fromLatin1(kPath)) ||
        !key.QueryString(QString::fromLatin1(name), &value) || value.isEmpty())
        value = fallback;
    return value;
}

bool CBrowserMainKey::IsStartPage(const QString& address)
{
    if (CStartPageFile::IsAddress(address))
        return true;
    // The value as the user wrote it ("example.org"), the address as the engine reports it.
    const QString value = Value("Start Page", QString());
    const auto normal = [](const QString& text) {
        QUrl url = QUrl::fromUserInput(text);
        if (url.path().isEmpty())
            url.setPath(QStringLiteral("/"));
        return url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
    };
    return !value.isEmpty() && normal(value) == normal(address);
}
