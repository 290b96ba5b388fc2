// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SessionFile.h"

#include "platform/NativeFiles.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <utility>

const char* const CSessionFile::kHeader = "nuvBrowser session 4";

namespace {
// The versions before: 1 kept no histories and no titles, 2 no titles, 3 no closed panes. All
// still read.
const char* const kHeaderWithoutHistories = "nuvBrowser session 1";
const char* const kHeaderWithoutTitles = "nuvBrowser session 2";
const char* const kHeaderWithoutClosed = "nuvBrowser session 3";
// Everything printable but "%" stays as it is, so the file reads as a list of addresses.
const QByteArray kPlain = "!\"#$&'()*+,-./:;<=>?@[\\]^_`{|}~";
// Titles keep their blanks as well.
const QByteArray kPlainTitle = kPlain + ' ';

QByteArray Encoded(const QString& text, const QByteArray& plain)
{
    return text.toUtf8().toPercentEncoding(plain);
}

QString Decoded(const QString& line, qsizetype nFrom)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(nFrom).toUtf8()));
}

// A title within its bound, never ending in half of a character.
QString BoundedTitle(const QString& title)
{
    if (title.size() <= CSessionFile::kMaxTitleChars)
        return title;
    QString bounded = title.left(CSessionFile::kMaxTitleChars);
    if (bounded.back().isHighSurrogate())
        bounded.chop(1);
    return bounded;
}

// The history bytes of a "history" line; empty when they cannot be decoded or are too large.
QByteArray DecodeHistory(const QString& text)
{
    if (text.size() > (CSessionFile::kMaxHistoryBytes + 2) / 3 * 4)
        return QByteArray();
    const auto decoded =
        QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || decoded.decoded.size() > CSessionFile::kMaxHistoryBytes)
        return QByteArray();
    return decoded.decoded;
}
} // namespace

bool SessionData::operator==(const SessionData& other) const
{
    if (addresses != other.addresses || nActive != other.nActive)
        return false;
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        if (History(i) != other.History(i) || Title(i) != other.Title(i))
            return false;
    }
    return closed == other.closed;
}

CSessionFile::CSessionFile() : m_strPath(NuvDataHome() + QStringLiteral("/session")) {}

CSessionFile::CSessionFile(const QString& path) : m_strPath(path) {}

QByteArray CSessionFile::Format(const SessionData& data)
{
    QByteArray bytes = QByteArray(kHeader) + '\n';
    bytes += "active " + QByteArray::number(data.nActive) + '\n';
    // Each pane's own lines (its address and its title), and the history it may add: the open
    // panes in tab order, then the closed ones.
    struct Record
    {
        QByteArray lines;
        QByteArray history;
    };
    QList<Record> records;
    const auto add = [&records](const QByteArray& first, const QString& title,
                                const QByteArray& history) {
        QByteArray lines = first + '\n';
        const QString bounded = BoundedTitle(title);
        if (!bounded.isEmpty())
            lines += "title " + Encoded(bounded, kPlainTitle) + '\n';
        records << Record{lines, history};
    };
    for (qsizetype i = 0; i < data.addresses.size(); ++i)
        add("pane " + Encoded(data.addresses[i], kPlain), data.Title(i), data.History(i));
    const qsizetype nOpen = records.size();
    for (const ClosedPane& closed : data.closed) {
        if (closed.address.isEmpty())
            continue; // nothing to open again
        add("closed " + QByteArray::number(qMax(0, closed.nPosition)) + ' ' +
                Encoded(closed.address, kPlain),
            closed.title, closed.history);
    }
    qsizetype nSize = bytes.size();
    for (const Record& record : records)
        nSize += record.lines.size();
    // The histories take what room is left below the size a reader accepts: the open panes'
    // first, then the closed ones', the one closed last first.
    QList<QByteArray> historyLines(records.size());
    const auto keep = [&](qsizetype i) {
        const QByteArray& history = records[i].history;
        if (history.isEmpty() || history.size() > kMaxHistoryBytes)
            return;
        const QByteArray line = "history " + history.toBase64() + '\n';
        if (nSize + line.size() > kMaxFileBytes)
            return;
        historyLines[i] = line;
        nSize += line.size();
    };
    for (qsizetype i = 0; i < nOpen; ++i)
        keep(i);
    for (qsizetype i = records.size() - 1; i >= nOpen; --i)
        keep(i);
    for (qsizetype i = 0; i < records.size(); ++i)
        bytes += records[i].lines + historyLines[i];
    return bytes;
}

bool CSessionFile::Parse(const QByteArray& bytes, SessionData* pData)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError() || !text.endsWith(QLatin1Char('\n')))
        return false; // not UTF-8, or cut short
    QStringList lines = text.split(QLatin1Char('\n'));
    lines.removeLast();
    if (lines.isEmpty())
        return false;
    const QString header = lines.takeFirst();
    int nVersion = 4;
    if (header == QLatin1String(kHeaderWithoutHistories))
        nVersion = 1;
    else if (header == QLatin1String(kHeaderWithoutTitles))
        nVersion = 2;
    else if (header == QLatin1String(kHeaderWithoutClosed))
        nVersion = 3;
    else if (header != QLatin1String(kHeader))
        return false;
    SessionData data;
    bool bActiveSeen = false;
    // What the line before was: a pane's title and then its history may follow its pane line,
    // and those of a closed pane its closed line.
    enum class Line
    {
        Other,
        Pane,
        Title
    } before = Line::Other;
    bool bClosedPane = false; // the pane of those lines is a closed one
    for (const QString& line : lines) {
        const Line previous = std::exchange(before, Line::Other);
        if (line.startsWith(QLatin1String("title "))) {
            if (nVersion < 3 || previous != Line::Pane)
                return false;
            const QString title = BoundedTitle(Decoded(line, 6));
            if (bClosedPane) {
                data.closed.last().title = title;
            } else {
                data.titles.resize(data.addresses.size());
                data.titles.last() = title;
            }
            before = Line::Title;
        } else if (line.startsWith(QLatin1String("history "))) {
            if (nVersion < 2 || previous == Line::Other)
                return false;
            const QByteArray history = DecodeHistory(line.mid(8));
            if (bClosedPane) {
                data.closed.last().history = history;
            } else {
                data.histories.resize(data.addresses.size());
                data.histories.last() = history;
            }
        } else if (line.startsWith(QLatin1String("pane "))) {
            const QString address = Decoded(line, 5);
            if (address.isEmpty() || !data.closed.isEmpty())
                return false; // the open panes come before the closed ones
            data.addresses << address;
            before = Line::Pane;
            bClosedPane = false;
        } else if (line.startsWith(QLatin1String("closed "))) {
            const qsizetype nBlank = line.indexOf(QLatin1Char(' '), 7);
            bool ok = false;
            const int nPosition = nBlank < 0 ? -1 : line.mid(7, nBlank - 7).toInt(&ok);
            if (nVersion < 4 || !ok || nPosition < 0)
                return false;
            ClosedPane closed;
            closed.address = Decoded(line, nBlank + 1);
            closed.nPosition = nPosition;
            if (closed.address.isEmpty())
                return false;
            data.closed << closed;
            before = Line::Pane;
            bClosedPane = true;
        } else if (line.startsWith(QLatin1String("active ")) && !bActiveSeen) {
            bool ok = false;
            data.nActive = line.mid(7).toInt(&ok);
            if (!ok)
                return false;
            bActiveSeen = true;
        } else {
            return false;
        }
    }
    if (!bActiveSeen || data.nActive < 0 ||
        (data.nActive >= data.addresses.size() && !data.addresses.isEmpty()))
        return false;
    *pData = data;
    return true;
}

CSessionFile::ReadResult CSessionFile::Read(SessionData* pData) const
{
    QFile file(m_strPath);
    if (!file.exists())
        return ReadResult::Missing;
    if (!QFileInfo(m_strPath).isFile() || !file.open(QIODevice::ReadOnly))
        return ReadResult::Damaged;
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || !Parse(bytes, pData))
        return ReadResult::Damaged;
    return ReadResult::Ok;
}

bool CSessionFile::Write(const SessionData& data) const
{
    return MakeFolderPath(QFileInfo(m_strPath).absolutePath()) &&
           AtomicWrite(m_strPath, Format(data));
}

void CSessionFile::Remove() const
{
    QFile::remove(m_strPath);
}

CBackupSlots::Kept CSessionFile::MoveToBackup() const
{
    return CBackupSlots(m_strPath).MoveFileIn();
}
