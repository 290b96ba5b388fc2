// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileFilter.h"

#include "Resources.h"

#include <QStringList>

QString FileDialogFilter(const QString& strPairs)
{
    const QStringList parts = strPairs.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        if (description.isEmpty())
            break; // the "||" that ends the list
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open > 0)
                description = description.left(open).trimmed();
        }
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = pattern.trimmed();
            if (!p.isEmpty())
                patterns.append(p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        }
        filters.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

QString LoadFileFilter(int nID)
{
    return FileDialogFilter(LoadString(nID));
}
