// SPDX-License-Identifier: GPL-3.0-or-later
#include "Completion.h"

#include <QSet>
#include <QUrl>

namespace {
// Two spellings of one page ("http://a.org" and "http://a.org/") are offered once.
QString AddressKey(const QString& address)
{
    QUrl url(address);
    if (!url.isValid())
        return address;
    url = url.adjusted(QUrl::StripTrailingSlash | QUrl::NormalizePathSegments);
    if (url.path() == QLatin1String("/"))
        url.setPath(QString());
    return url.toString();
}

bool Holds(const QString& haystack, const QString& needle)
{
    return haystack.contains(needle, Qt::CaseInsensitive);
}
} // namespace

QList<CompletionRow> RankCompletions(const QString& rawText, const QStringList& typedNewestFirst,
                                     const QList<CompletionRow>& favorites,
                                     const QList<HistoryEntry>& history, int nMax)
{
    QList<CompletionRow> rows;
    const QString text = rawText.trimmed();
    if (text.isEmpty() || nMax <= 0)
        return rows;
    QSet<QString> offered;
    const auto offer = [&](ECompletionKind kind, const QString& title, const QString& address) {
        if (rows.size() >= nMax || address.isEmpty())
            return;
        const QString key = AddressKey(address);
        if (offered.contains(key))
            return;
        offered.insert(key);
        rows.append({kind, title, address});
    };
    const auto knownTitle = [&](const QString& address) {
        const QString key = AddressKey(address);
        for (const CompletionRow& f : favorites)
            if (AddressKey(f.address) == key)
                return f.title;
        for (const HistoryEntry& h : history)
            if (AddressKey(h.address) == key)
                return h.title;
        return QString();
    };
    for (const QString& typed : typedNewestFirst)
        if (Holds(typed, text))
            offer(ECompletionKind::Typed, knownTitle(typed), typed);
    for (const CompletionRow& f : favorites)
        if (Holds(f.title, text) || Holds(f.address, text))
            offer(ECompletionKind::Favorite, f.title, f.address);
    for (const HistoryEntry& h : history)
        if (Holds(h.title, text) || Holds(h.address, text))
            offer(ECompletionKind::History, h.title, h.address);
    return rows;
}

QString BoldMatches(const QString& text, const QString& rawMatch)
{
    const QString match = rawMatch.trimmed();
    if (match.isEmpty())
        return text.toHtmlEscaped();
    QString html;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(match, from, Qt::CaseInsensitive);
        if (at < 0)
            break;
        html += text.mid(from, at - from).toHtmlEscaped();
        html += QLatin1String("<b>") + text.mid(at, match.size()).toHtmlEscaped() +
                QLatin1String("</b>");
        from = at + match.size();
    }
    return html + text.mid(from).toHtmlEscaped();
}
