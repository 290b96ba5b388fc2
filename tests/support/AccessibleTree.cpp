// SPDX-License-Identifier: GPL-3.0-or-later
#include "AccessibleTree.h"

#include <QAccessible>
#include <QObject>

namespace {
bool IsControl(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::PushButton:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ButtonMenu:
    case QAccessible::ButtonDropDown:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::ProgressBar:
    case QAccessible::List:
    case QAccessible::ListItem:
    case QAccessible::Tree:
    case QAccessible::TreeItem:
    case QAccessible::ToolBar:
    case QAccessible::MenuItem:
    case QAccessible::Slider:
        return true;
    default:
        return false;
    }
}

void Walk(QAccessibleInterface* node, AccessibleControls* pFound, int depth)
{
    if (node == nullptr || depth > 40 || node->state().invisible)
        return;
    if (IsControl(node->role())) {
        const QString name = node->text(QAccessible::Name).trimmed();
        if (!name.isEmpty()) {
            pFound->names << name;
        } else {
            QString what = QStringLiteral("role %1").arg(int(node->role()));
            if (const QObject* object = node->object())
                what += QLatin1Char(' ') + QString::fromLatin1(object->metaObject()->className()) +
                        QLatin1Char(' ') + object->objectName();
            pFound->unnamed << what;
        }
    }
    for (int i = 0; i < node->childCount(); ++i)
        Walk(node->child(i), pFound, depth + 1);
}
} // namespace

AccessibleControls FindAccessibleControls(QObject* root)
{
    AccessibleControls found;
    Walk(QAccessible::queryAccessibleInterface(root), &found, 0);
    return found;
}

QString AccessibleName(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}
