// SPDX-License-Identifier: GPL-3.0-or-later
#include "panes/webengine/LocalFileRule.h"

#include <QFileInfo>
#include <QUrl>

bool MayFetchLocalFile(const QUrl& request, const QUrl& page, bool bMainFrame)
{
    if (bMainFrame || !request.isLocalFile())
        return true;
    if (!page.isLocalFile())
        return false;
    // Compared as the files really are: ".." and links lead nowhere else.
    const QString folder = QFileInfo(page.toLocalFile()).canonicalPath();
    const QString file = QFileInfo(request.toLocalFile()).canonicalFilePath();
    if (folder.isEmpty() || file.isEmpty())
        return false;
    return file.startsWith(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}
