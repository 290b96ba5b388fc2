#include "platform/SessionFile.h"

#include "platform/NativeFiles.h"
#include "platform/Paths.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <cstdio>

const char* const CSessionFile::kHeader = "nuvBrowser session 1";

namespace {
// Everything printable but "%" stays as it is, so the file reads as a list of addresses.
const QByteArray kPlain = "!\"#$&'()*+,-./:;<=>?@[\\]^_`{|}~";
constexpr qsizetype kMaxFileBytes = 16 * 1024 * 1024;
} // namespace

CSessionFile::CSessionFile() : m_strPath(NuvDataHome() + QStringLiteral("/session")) {}

CSessionFile::CSessionFile(const QString& path) : m_strPath(path) {}

QByteArray CSessionFile::Format(const SessionData& data)
{
    QByteArray bytes = QByteArray(kHeader) + '\n';
    bytes += "active " + QByteArray::number(data.nActive) + '\n';
    for (const QString& address : data.addresses)
        bytes += "pane " + address.toUtf8().toPercentEncoding(kPlain) + '\n';
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
    if (lines.isEmpty() || lines.takeFirst() != QLatin1String(kHeader))
        return false;
    SessionData data;
    bool bActiveSeen = false;
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("pane "))) {
            const QByteArray encoded = line.mid(5).toUtf8();
            const QString address = QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
            if (address.isEmpty())
                return false;
            data.addresses << address;
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

bool CSessionFile::MoveToBackup() const
{
    return std::rename(QFile::encodeName(m_strPath).constData(),
                       QFile::encodeName(BackupPath()).constData()) == 0;
}
