// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/PageInspection.h"

#include "panes/BrowserControl.h"
#include "panes/PaneWnd.h"

#include <QUrl>

QString CombineUrl(const QString& base, const QString& relative)
{
    const QUrl baseUrl(base);
    const QUrl relativeUrl(relative);
    if (!baseUrl.isValid() || !relativeUrl.isValid())
        return QString();
    return baseUrl.resolved(relativeUrl).toString();
}

int ClassifyElementPath(const QList<BrowserElement>& path, const QString& topAddress,
                        QString* pLinkAddress, QString* pImageAddress)
{
    if (path.isEmpty())
        return 0;
    auto is = [](const QString& tag, const char* name) {
        return tag.compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };

    // A frame ends the inspection; its ancestors are not looked at.
    if (is(path.first().tag, "FRAME")) {
        const QString& src = path.first().src;
        if (src.isNull() || topAddress.isEmpty())
            return 0;
        *pLinkAddress = CombineUrl(topAddress, src);
        return PANE_HAS_FRAME;
    }

    int nFlags = 0;
    for (const BrowserElement& element : path) {
        if (is(element.tag, "BODY") || is(element.tag, "HTML"))
            break;
        if (is(element.tag, "A")) {
            if (!element.href.isNull()) {
                nFlags |= PANE_HAS_LINK;
                *pLinkAddress = element.href;
            }
        } else if (is(element.tag, "IMG")) {
            if (!element.src.isNull()) {
                nFlags |= PANE_HAS_IMAGE;
                *pImageAddress = element.src;
            }
        } else if (is(element.tag, "INPUT")) {
            if (element.type.compare(QLatin1String("IMAGE"), Qt::CaseInsensitive) == 0 &&
                !element.src.isNull()) {
                nFlags |= PANE_HAS_IMAGE;
                *pImageAddress = element.src;
            }
        }
    }
    return nFlags;
}
