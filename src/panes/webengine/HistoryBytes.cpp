// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/HistoryBytes.h"

#include <QDataStream>
#include <QIODevice>
#include <QUrl>
#include <QWebEngineHistory>

namespace {
// The stream's own versions of the engine's history that Qt WebEngine 6.4 reads back; the
// fields of an entry, in order, as it writes them.
constexpr int kOldestFormat = 3;
constexpr int kNewestFormat = 4; // adds the icon's address to each entry
// Fixed, so that bytes written by one Qt read the same with another.
constexpr QDataStream::Version kStreamVersion = QDataStream::Qt_6_0;

// Blink keeps the body of a form sent by POST, with its content type, in the page state of
// the entry, for the page and for each of its frames; the entry's own flag tells only about
// the page itself. The content type of a form's body is one of these three; the page state
// holds it in UTF-16, little-endian.
bool HoldsFormBody(const QByteArray& pageState)
{
    static const QList<QByteArray> kFormTypes = [] {
        QList<QByteArray> types;
        for (const char* type :
             {"application/x-www-form-urlencoded", "multipart/form-data", "text/plain"}) {
            QByteArray utf16;
            for (const char* p = type; *p != 0; ++p)
                utf16 += QByteArray(1, *p) + '\0';
            types << utf16;
        }
        return types;
    }();
    return std::any_of(kFormTypes.cbegin(), kFormTypes.cend(),
                       [&](const QByteArray& type) { return pageState.contains(type); });
}

// Reads one entry; *pbPostData is set when the entry holds the body of a form sent by POST,
// passwords and all.
bool ReadEntry(QDataStream& in, int nFormat, bool* pbPostData)
{
    QUrl url, referrer, originalUrl, icon;
    QString title;
    QByteArray pageState;
    qint32 nTransition = 0, nReferrerPolicy = 0;
    bool bPostData = false, bUserAgentOverride = false;
    qint64 nTimestamp = 0;
    int nHttpStatus = 0;
    in >> url >> title >> pageState >> nTransition >> bPostData >> referrer >> nReferrerPolicy >>
        originalUrl >> bUserAgentOverride >> nTimestamp >> nHttpStatus;
    if (nFormat >= 4)
        in >> icon;
    *pbPostData = *pbPostData || bPostData || HoldsFormBody(pageState);
    return in.status() == QDataStream::Ok;
}

struct HistoryShape
{
    int nCount = 0;
    int nCurrent = 0;
    bool bPostData = false; // an entry holds a form's body
};

// Reads the history through; its shape when it is whole.
bool ReadHistory(const QByteArray& bytes, HistoryShape* pShape)
{
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    int nFormat = 0, nCount = 0, nCurrent = 0;
    in >> nFormat >> nCount >> nCurrent;
    if (in.status() != QDataStream::Ok || nFormat < kOldestFormat || nFormat > kNewestFormat ||
        nCount <= 0 || nCurrent < 0 || nCurrent >= nCount)
        return false;
    // Every entry takes bytes of its own: a count beyond what the bytes hold fails on the way
    // without anything being reserved for it.
    bool bPostData = false;
    for (int i = 0; i < nCount; ++i) {
        if (!ReadEntry(in, nFormat, &bPostData))
            return false;
    }
    *pShape = HistoryShape{nCount, nCurrent, bPostData};
    return in.atEnd();
}
} // namespace

bool IsEngineHistory(const QByteArray& bytes)
{
    HistoryShape shape;
    return ReadHistory(bytes, &shape);
}

QByteArray SaveEngineHistory(QWebEngineHistory* pHistory)
{
    // Writing the history of a page that never loaded would start its engine side.
    if (pHistory == nullptr || pHistory->count() == 0)
        return QByteArray();
    QByteArray bytes;
    {
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out.setVersion(kStreamVersion);
        out << *pHistory;
    }
    // What a form sent is kept out of the session file: the page's address alone comes back.
    HistoryShape shape;
    return ReadHistory(bytes, &shape) && !shape.bPostData ? bytes : QByteArray();
}

bool RestoreEngineHistory(QWebEngineHistory* pHistory, const QByteArray& bytes)
{
    HistoryShape shape;
    if (pHistory == nullptr || !ReadHistory(bytes, &shape) || shape.bPostData)
        return false;
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    in >> *pHistory;
    // The engine makes the page anew from the entries; it keeps the old one when it refused.
    return pHistory->count() == shape.nCount && pHistory->currentItemIndex() == shape.nCurrent;
}
