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
