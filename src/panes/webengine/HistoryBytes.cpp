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

bool ReadEntry(QDataStream& in, int nFormat)
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
    return in.status() == QDataStream::Ok;
}

// Reads the history through; its entry count and current index when it is whole.
bool ReadHistory(const QByteArray& bytes, int* pnCount, int* pnCurrent)
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
    for (int i = 0; i < nCount; ++i) {
        if (!ReadEntry(in, nFormat))
            return false;
    }
    *pnCount = nCount;
    *pnCurrent = nCurrent;
    return in.atEnd();
}
} // namespace

bool IsEngineHistory(const QByteArray& bytes)
{
    int nCount = 0, nCurrent = 0;
    return ReadHistory(bytes, &nCount, &nCurrent);
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
    return IsEngineHistory(bytes) ? bytes : QByteArray();
}

bool RestoreEngineHistory(QWebEngineHistory* pHistory, const QByteArray& bytes)
{
    int nCount = 0, nCurrent = 0;
    if (pHistory == nullptr || !ReadHistory(bytes, &nCount, &nCurrent))
        return false;
    QDataStream in(bytes);
    in.setVersion(kStreamVersion);
    in >> *pHistory;
    // The engine makes the page anew from the entries; it keeps the old one when it refused.
    return pHistory->count() == nCount && pHistory->currentItemIndex() == nCurrent;
}
