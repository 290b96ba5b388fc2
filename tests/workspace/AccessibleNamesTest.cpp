// What a screen reader can say about the main window: every control on the screen has a
// name, and the names say what the controls do.
#include "WorkspaceFixture.h"

#include "workspace/IconButton.h"

#include <QAccessible>
#include <QComboBox>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeWidget>

namespace {
// The controls a user works with, by their accessible role.
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
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::ProgressBar:
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

// "role name" of every visible control below the interface, and which of them lack a name.
void Walk(QAccessibleInterface* node, QStringList* pNamed, QStringList* pUnnamed, int depth = 0)
{
    if (node == nullptr || depth > 40 || node->state().invisible)
        return;
    const QString name = node->text(QAccessible::Name).trimmed();
    if (IsControl(node->role())) {
        const QString what = QStringLiteral("%1 \"%2\"").arg(int(node->role())).arg(name);
        if (name.isEmpty()) {
            QString where;
            if (QObject* object = node->object())
                where = QString::fromLatin1(object->metaObject()->className()) + ' ' +
                        object->objectName();
            *pUnnamed << what + " " + where;
        } else {
            *pNamed << name;
        }
    }
    for (int i = 0; i < node->childCount(); ++i)
        Walk(node->child(i), pNamed, pUnnamed, depth + 1);
}

QString NameOf(QObject* object)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<no interface>");
}

class AccessibleNamesTest : public WorkspaceTest
{
};

TEST_F(AccessibleNamesTest, EveryControlOnTheScreenHasAName)
{
    for (int favorite : {1, 0}) {
        app.ViewFavorite = favorite;
        Open();
        MakePanes(3);
        QStringList named, unnamed;
        Walk(QAccessible::queryAccessibleInterface(frame.get()), &named, &unnamed);
        EXPECT_TRUE(unnamed.isEmpty()) << favorite << ": " << unnamed.join(", ").toStdString();
        // The tabs carry their labels, the tree its entries.
        for (const char* label : {"2 : P1", "3 : P2", "4 : P3", "To add Favorites"})
            EXPECT_TRUE(named.contains(label)) << favorite << " " << label;
        Close();
    }
}

TEST_F(AccessibleNamesTest, NamesSayWhatTheControlsDo)
{
    Open();
    struct Case
    {
        QObject* object;
        const char* name;
    };
    QToolBar* toolBar = frame->findChild<QToolBar*>(QStringLiteral("toolBar"));
    ASSERT_NE(toolBar, nullptr);
    QStringList buttons;
    for (QAction* action : toolBar->actions())
        if (!action->isSeparator())
            buttons << NameOf(toolBar->widgetForAction(action));
    EXPECT_EQ(buttons.join('|').toStdString(), "Back|Forward|Stop|Refresh|Home|Search|Unused");

    const Case cases[] = {
        {form->CloseButton(), "Close Tab"},
        {form->AddressBarButton(), "Hide Bars"},
        {form->findChild<QProgressBar*>(), "Page Loading Progress"},
        {form->FavoritesTree(), "Favorites"},
        {frame->findChild<QComboBox*>(), "Address"},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.object, nullptr) << c.name;
        EXPECT_EQ(NameOf(c.object).toStdString(), c.name);
    }
    // The bars button says what a click does now.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_EQ(NameOf(form->AddressBarButton()).toStdString(), "Show Bars");
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_EQ(NameOf(form->AddressBarButton()).toStdString(), "Hide Bars");
}
} // namespace
