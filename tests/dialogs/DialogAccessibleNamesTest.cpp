// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader finds in each dialog: every control on the screen has a name.
#include "AccessibleTree.h"
#include "DialogFixture.h"

#include <QTabWidget>

namespace {
class DialogAccessibleNamesTest : public DialogTest
{
};

TEST_F(DialogAccessibleNamesTest, EveryControlOfEveryDialogHasAName)
{
    Open();
    Control(form->GetActivePane())->RaiseTitleChange("http://127.0.0.1:9/a");
    const struct
    {
        const char* name;
        int nCommand;
    } cases[] = {
        {"Open Internet Address", ID_FILE_OPEN},
        {"History", ID_GO_HISTORY},
        {"Properties", ID_FILE_PROPERTIES},
        {"About", ID_APP_ABOUT},
        {"Options", ID_VIEW_OPTIONS},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(frame->SendCommand(c.nCommand));
        if (c.nCommand == ID_FILE_PROPERTIES) {
            CFakeBrowserControl* page = Control(form->GetActivePane());
            ASSERT_EQ(page->m_documentQueries.size(), 1);
            BrowserDocumentInfo info;
            info.bOk = true;
            info.title = "A";
            info.url = "http://127.0.0.1:9/a";
            page->m_documentQueries.takeFirst()(info);
        }
        ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 5000));
        QWidget* dlg = QApplication::activeModalWidget();
        // Every page of a sheet in turn: the others are hidden meanwhile.
        QTabWidget* pages = dlg->findChild<QTabWidget*>();
        for (int i = 0; i < (pages ? pages->count() : 1); ++i) {
            if (pages)
                pages->setCurrentIndex(i);
            const AccessibleControls found = FindAccessibleControls(dlg);
            EXPECT_TRUE(found.unnamed.isEmpty())
                << i << ": " << found.unnamed.join(", ").toStdString();
            EXPECT_FALSE(found.names.isEmpty());
        }
        qobject_cast<QDialog*>(dlg)->reject();
        ASSERT_TRUE(Gone(dlg));
    }
}
} // namespace
