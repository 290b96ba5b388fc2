// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/AddressInput.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrlQuery>

namespace {
// "host:port" looks like a scheme but is not one.
const QRegularExpression& SchemePattern()
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    return scheme;
}
const QRegularExpression& HostPortPattern()
{
    static const QRegularExpression hostPort(QStringLiteral("^[^:/?#]+:[0-9]+([/?#]|$)"));
    return hostPort;
}
} // namespace

QUrl UrlFromAddress(const QString& address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return QUrl();
    if (SchemePattern().match(text).hasMatch() && !HostPortPattern().match(text).hasMatch())
        return QUrl(text, QUrl::TolerantMode);
    const QFileInfo file(text);
    if (file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
}

bool IsSearchText(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    // A scheme the engine knows ("http://a b", "about:blank", "mailto:x") is an address; a
    // word before a colon and a blank ("note: milk") is not a scheme.
    static const QRegularExpression scheme(
        QStringLiteral("^(?:[A-Za-z][A-Za-z0-9+.-]*://|(?:about|mailto|data|javascript|"
                       "view-source|file|qrc):)"),
        QRegularExpression::CaseInsensitiveOption);
    if (scheme.match(t).hasMatch())
        return false;
    // A path is an address, blanks and all ("/home/me/my page.html").
    if (t.startsWith(QLatin1Char('/')) || t.startsWith(QLatin1Char('~')))
        return false;
    static const QRegularExpression blank(QStringLiteral("\\s"));
    if (t.contains(blank))
        return true;
    if (t.contains(QLatin1Char('.')) || t.contains(QLatin1Char(':')) ||
        t.contains(QLatin1Char('/')))
        return false;
    return t.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0;
}

QUrl SearchUrl(const QString& searchPage, const QString& query)
{
    const QString q = query.trimmed();
    if (searchPage.contains(QLatin1String("%s"))) {
        QString address = searchPage;
        address.replace(QLatin1String("%s"), QString::fromLatin1(QUrl::toPercentEncoding(q)));
        return QUrl(address, QUrl::TolerantMode);
    }
    QUrl url = UrlFromAddress(searchPage);
    QUrlQuery items(url);
    items.removeAllQueryItems(QStringLiteral("q"));
    items.addQueryItem(QStringLiteral("q"), QString::fromLatin1(QUrl::toPercentEncoding(q)));
    url.setQuery(items);
    return url;
}
