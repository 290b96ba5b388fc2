// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/PageScripts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QVariantMap>

#include <cmath>

namespace {

// Walks from the element at the point outwards. href and src come resolved by the page,
// except an empty href (kept empty) and a frame's src (the attribute as written); an
// attribute the element lacks is left out.
const char kElementsAt[] = R"JS(function (x, y) {
    var path = [];
    var el = document.elementFromPoint(x, y);
    for (var n = 0; el && n < 200; ++n, el = el.parentElement) {
        var tag = String(el.tagName || '').toUpperCase();
        var rec = { tag: tag };
        var href = el.getAttribute('href');
        if (href !== null)
            rec.href = (href === '' || typeof el.href !== 'string') ? href : el.href;
        var src = el.getAttribute('src');
        if (src !== null)
            rec.src = (tag === 'FRAME' || typeof el.src !== 'string') ? src : el.src;
        var type = el.getAttribute('type');
        if (type !== null)
            rec.type = type;
        path.push(rec);
    }
    return { ok: true, path: path };
})JS";

const char kDocumentInfo[] = R"JS(function () {
    var info = { ok: true, url: document.URL, contentType: document.contentType,
                 title: document.title, lastModified: document.lastModified,
                 protocol: location.protocol };
    try {
        var nav = performance.getEntriesByType('navigation')[0];
        if (nav && nav.decodedBodySize > 0)
            info.size = String(nav.decodedBodySize);
    } catch (e) {}
    return info;
})JS";

// The first box of a link broken over two lines is the one the user sees begin.
const char kFocusedElement[] = R"JS(function () {
    var el = document.activeElement;
    if (!el || el === document.body || el === document.documentElement)
        return { ok: false };
    var boxes = el.getClientRects();
    var r = boxes.length ? boxes[0] : el.getBoundingClientRect();
    return { ok: true, x: r.left, y: r.top, width: r.width, height: r.height };
})JS";

const char kBodyMarkup[] = R"JS(function () {
    return document.body ? { ok: true, markup: document.body.outerHTML } : { ok: false };
})JS";

std::optional<QString> Field(const QVariantMap& map, const char* name)
{
    const QVariant value = map.value(QLatin1String(name));
    if (!value.isValid() || value.isNull())
        return std::nullopt;
    return value.toString();
}

QString NullableString(const QVariantMap& map, const char* name)
{
    const QVariant value = map.value(QLatin1String(name));
    return value.isValid() && !value.isNull() ? value.toString() : QString();
}

} // namespace

namespace PageScripts {

QString CallScript(const char* function, const QVariantList& args)
{
    const QByteArray json =
        QJsonDocument(QJsonArray::fromVariantList(args)).toJson(QJsonDocument::Compact);
    // The array's brackets become the call's parentheses.
    return QStringLiteral("(%1)(%2)")
        .arg(QString::fromUtf8(function), QString::fromUtf8(json.mid(1, json.size() - 2)));
}

QString ElementsAt(double x, double y)
{
    return CallScript(kElementsAt, {x, y});
}

BrowserElementPath ReadElements(const QVariant& answer)
{
    BrowserElementPath result;
    const QVariantMap map = answer.toMap();
    if (!map.value(QStringLiteral("ok")).toBool())
        return result;
    result.bOk = true;
    for (const QVariant& item : map.value(QStringLiteral("path")).toList()) {
        const QVariantMap rec = item.toMap();
        result.path.append({rec.value(QStringLiteral("tag")).toString(),
                            NullableString(rec, "href"), NullableString(rec, "src"),
                            NullableString(rec, "type")});
    }
    return result;
}

QString DocumentInfo()
{
    return CallScript(kDocumentInfo);
}

BrowserDocumentInfo ReadDocumentInfo(const QVariant& answer)
{
    BrowserDocumentInfo info;
    const QVariantMap map = answer.toMap();
    if (!map.value(QStringLiteral("ok")).toBool())
        return info;
    info.bOk = true;
    info.url = Field(map, "url");
    if (const auto type = Field(map, "contentType"))
        info.mimeType = TypeText(*type);
    info.title = Field(map, "title");
    info.lastModified = Field(map, "lastModified");
    if (const auto protocol = Field(map, "protocol"))
        info.protocol = ProtocolText(*protocol);
    info.fileSize = Field(map, "size");
    return info;
}

QString FocusedElement()
{
    return CallScript(kFocusedElement);
}

BrowserFocus ReadFocus(const QVariant& answer, double zoom)
{
    const QVariantMap map = answer.toMap();
    if (!map.value(QStringLiteral("ok")).toBool())
        return BrowserFocus();
    const auto number = [&map, zoom](const char* name, bool* pbOk) {
        const double value = map.value(QLatin1String(name)).toDouble(pbOk) * zoom;
        // A page's numbers are its own: anything beyond a window's reach is no box.
        *pbOk = *pbOk && std::isfinite(value) && std::abs(value) < 1e6;
        return *pbOk ? qRound(value) : 0;
    };
    bool bX = false, bY = false, bWidth = false, bHeight = false;
    const QRect rect(number("x", &bX), number("y", &bY), number("width", &bWidth),
                     number("height", &bHeight));
    if (!bX || !bY || !bWidth || !bHeight)
        return BrowserFocus();
    return {true, rect};
}

QString BodyMarkup()
{
    return CallScript(kBodyMarkup);
}

BrowserMarkup ReadBodyMarkup(const QVariant& answer)
{
    const QVariantMap map = answer.toMap();
    if (!map.value(QStringLiteral("ok")).toBool())
        return BrowserMarkup();
    return {true, map.value(QStringLiteral("markup")).toString()};
}

QString TypeText(const QString& mimeType)
{
    const QString type = mimeType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    if (type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml"))
        return QStringLiteral("HTML Document");
    if (type == QLatin1String("text/plain"))
        return QStringLiteral("Text Document");
    if (type == QLatin1String("image/jpeg"))
        return QStringLiteral("JPEG Image");
    if (type == QLatin1String("image/bmp"))
        return QStringLiteral("Bitmap Image");
    const QString subtype = type.section(QLatin1Char('/'), 1).section(QLatin1Char('+'), 0, 0);
    if (type.startsWith(QLatin1String("image/")))
        return subtype.toUpper() + QStringLiteral(" Image");
    return subtype.isEmpty() ? QString() : subtype.toUpper() + QStringLiteral(" File");
}

QString ProtocolText(const QString& scheme)
{
    const QString name = scheme.endsWith(QLatin1Char(':')) ? scheme.chopped(1) : scheme;
    if (name.compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("HyperText Transfer Protocol");
    if (name.compare(QLatin1String("https"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("HyperText Transfer Protocol with Privacy");
    if (name.compare(QLatin1String("file"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("File Protocol");
    return name;
}

} // namespace PageScripts
