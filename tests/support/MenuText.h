// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAction>
#include <QMenu>
#include <QStringList>

#include <string>

// A menu's items as the user reads them: "-" for a separator, a grayed item in parentheses,
// joined by " | ".
inline std::string DescribeMenu(const QMenu* pMenu)
{
    if (pMenu == nullptr)
        return "<no menu>";
    QStringList parts;
    for (const QAction* a : pMenu->actions())
        parts << (a->isSeparator() ? QStringLiteral("-")
                  : a->isEnabled() ? a->text()
                                   : QStringLiteral("(%1)").arg(a->text()));
    return parts.join(QStringLiteral(" | ")).toStdString();
}

// The item of a menu with this text; null when there is none.
inline QAction* FindMenuItem(const QMenu* pMenu, const QString& text)
{
    for (QAction* a : pMenu->actions())
        if (a->text() == text)
            return a;
    return nullptr;
}
