// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/StartPageFile.h"

#include "platform/Paths.h"

#include <QFile>
#include <QSaveFile>
#include <QUrl>

namespace {
const char kResource[] = ":/res/start.html";
const char kResourceAddress[] = "qrc:///res/start.html";

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

QString CStartPageFile::Path()
{
    return NuvDataHome() + QStringLiteral("/start.html");
}

QString CStartPageFile::Address()
{
    const QByteArray page = ReadAll(QString::fromLatin1(kResource));
    const QString path = Path();
    if (page.isEmpty())
        return QString::fromLatin1(kResourceAddress);
    if (ReadAll(path) != page) {
        // Written whole or not at all: a page cut short is never shown.
        QSaveFile file(path);
        if (!MakeFolderPath(NuvDataHome()) || !file.open(QIODevice::WriteOnly) ||
            file.write(page) != page.size() || !file.commit())
            return QString::fromLatin1(kResourceAddress);
    }
    return QUrl::fromLocalFile(path).toString();
}

bool CStartPageFile::IsAddress(const QString& address)
{
    const QUrl url(address);
    return url == QUrl::fromLocalFile(Path()) || url == QUrl(QString::fromLatin1(kResourceAddress));
}
