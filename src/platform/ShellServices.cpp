#include "ShellServices.h"

#include <QProcess>
#include <QStandardPaths>

bool OpenWithDesktop(const QString& target)
{
    if (target.isEmpty() || target.startsWith(QLatin1Char('-')))
        return false;
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, {target});
}

QString RegisteredMailHandler()
{
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return QString();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/mailto")});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return QString();
    }
    return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
}

bool StartMailTo(const QString& address)
{
    if (!address.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
        return false;
    if (!RegisteredMailHandler().isEmpty() && OpenWithDesktop(address))
        return true;
    const QString pmail = QStandardPaths::findExecutable(QStringLiteral("pmail"));
    if (pmail.isEmpty())
        return false;
    // The program gets one argument list: -to and the recipient part as one argument.
    return QProcess::startDetached(pmail, {QStringLiteral("-to"), address.mid(7)});
}
