#include "panes/AddressInput.h"

#include <QFileInfo>
#include <QRegularExpression>

QUrl UrlFromAddress(const QString& address)
{
    const QString text = address.trimmed();
    if (text.isEmpty())
        return QUrl();
    // "host:port" looks like a scheme but is not one.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:"));
    static const QRegularExpression hostPort(QStringLiteral("^[^:/?#]+:[0-9]+([/?#]|$)"));
    if (scheme.match(text).hasMatch() && !hostPort.match(text).hasMatch())
        return QUrl(text, QUrl::TolerantMode);
    const QFileInfo file(text);
    if (file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    return QUrl(QStringLiteral("http://") + text, QUrl::TolerantMode);
}
