// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader can say about the main window: every control on the screen has a
// name, and the names say what the controls do.
#include "AccessibleTree.h"
#include "WorkspaceFixture.h"

#include "workspace/IconButton.h"

#include <QComboBox>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

namespace {
class AccessibleNamesTest : public WorkspaceTest
{
};

TEST_F(AccessibleNamesTest, EveryControlOnTheScreenHasAName)
{
    for (int favorite : {1, 0}) {
        app.ViewFavorite = favorite;
        Open();
        MakePanes(3);
        const AccessibleControls found = FindAccessibleControls(frame.get());
        EXPECT_TRUE(found.unnamed.isEmpty())
            << favorite << ": " << found.unnamed.join(", ").toStdString();
        // The tabs carry their labels, the tree its entries.
        for (const char* label : {"2 : P1", "3 : P2", "4 : P3", "To add Favorites"})
            EXPECT_TRUE(found.names.contains(label)) << favorite << " " << label;
        Close();
    }
}

TEST_F(AccessibleNamesTest, TabsThatDoNotFitScrollWithNamedArrows)
{
    Open();
    MakePanes(8);
    for (int i = 0; i < PaneCount(); ++i)
        Control(Pane(i))->RaiseTitleChange(QStringLiteral("A rather long page title %1").arg(i));
    frame->resize(700, 500);
    QCoreApplication::processEvents();
    // The strip's own arrows are its children, not items of its accessible tree.
    QStringList arrows;
    for (QToolButton* button : Tabs()->findChildren<QToolButton*>())
        if (button->isVisible())
            arrows << AccessibleName(button);
    EXPECT_EQ(arrows.join('|').toStdString(), "Scroll Tabs Left|Scroll Tabs Right");
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
            buttons << AccessibleName(toolBar->widgetForAction(action));
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
        EXPECT_EQ(AccessibleName(c.object).toStdString(), c.name);
    }
    // The bars button says what a click does now.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_EQ(AccessibleName(form->AddressBarButton()).toStdString(), "Show Bars");
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_ADDRESS_BAR));
    EXPECT_EQ(AccessibleName(form->AddressBarButton()).toStdString(), "Hide Bars");
}
} // namespace
