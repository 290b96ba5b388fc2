// SPDX-License-Identifier: GPL-3.0-or-later
#include "WaitFor.h"
#include "WorkspaceFixture.h"

#include "app/CommandBands.h"
#include "commands/CmdUI.h"
#include "panes/TextPane.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "workspace/IconButton.h"
#include "workspace/InternetSettings.h"

#include <QClipboard>
#include <QComboBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QtEndian>

namespace {
const QString kMain = QString::fromLatin1(CInternetSettings::kMainKey);

class BrowserCommandsTest : public WorkspaceTest
{
protected:
    bool Enabled(int nID) const { return frame->IsCommandEnabled(nID); }
    // The check or radio mark the command's rule shows.
    int Mark(int nID) const
    {
        CCmdUI ui(nID);
        EXPECT_TRUE(frame->GetCommandRouter().DoUpdate(&ui)) << nID;
        return ui.m_nCheck;
    }
    static QString StoredMain(const QString& name)
    {
        CRegKey key;
        QString value;
        if (!key.Open(kMain) || !key.QueryString(name, &value))
            return QStringLiteral("-");
        return value;
    }
    QStringList ComboItems() const
    {
        QStringList items;
        for (int i = 0; i < frame->m_hAddressCombo->count(); ++i)
            items << frame->m_hAddressCombo->itemText(i);
        return items;
    }
};

TEST_F(BrowserCommandsTest, CommandsActOnTheActivePage)
{
    Open();
    MakePanes(2);
    CFakeBrowserControl* back = Control(Pane(0));
    CFakeBrowserControl* page = Control(Pane(1));
    EXPECT_FALSE(Enabled(ID_GO_BACK));
    EXPECT_FALSE(Enabled(ID_GO_FORWARD));
    page->RaiseCommandStateChange(CSC_NAVIGATEBACK, 1);
    page->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
    EXPECT_TRUE(Enabled(ID_GO_BACK));
    EXPECT_FALSE(Enabled(ID_GO_FORWARD));

    const struct
    {
        int nID;
        const char* call;
    } cases[] = {
        {ID_GO_BACK, "GoBack"},
        {ID_GO_HOME, "GoHome"},
        {ID_GO_SEARCH, "GoSearch"},
        {ID_VIEW_STOP, "Stop"},
        {ID_VIEW_REFRESH, "Refresh"},
        {ID_EDIT_FIND, "ExecFind"},
        {ID_EDIT_SELECT_ALL, "ExecWB 17 0"},
        {ID_FILE_PRINT, "ExecWB 6 1"},
    };
    for (const auto& c : cases) {
        page->ClearCalls();
        back->ClearCalls();
        EXPECT_TRUE(frame->SendCommand(c.nID)) << c.call;
        EXPECT_EQ(page->Calls().value(0), c.call);
        EXPECT_TRUE(back->Calls().isEmpty()) << c.call;
    }
    page->RaiseCommandStateChange(CSC_NAVIGATEBACK, 0);
    page->RaiseCommandStateChange(CSC_NAVIGATEFORWARD, 1);
    page->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
    EXPECT_FALSE(Enabled(ID_GO_BACK));
    EXPECT_TRUE(Enabled(ID_GO_FORWARD));
    page->ClearCalls();
    EXPECT_FALSE(frame->SendCommand(ID_GO_BACK));
    EXPECT_TRUE(frame->SendCommand(ID_GO_FORWARD));
    EXPECT_EQ(page->Calls(), QStringList{"GoForward"});
}

TEST_F(BrowserCommandsTest, NothingOfAPageIsLeftAfterTheLastPaneClosedItself)
{
    for (int nFavorite : {1, 0}) {
        SCOPED_TRACE(nFavorite);
        app.ViewFavorite = nFavorite;
        Open();
        CFakeBrowserControl* page = Control(Pane(0));
        page->RaiseAddressChange("http://a.example/");
        page->RaiseCommandStateChange(CSC_NAVIGATEBACK, 1);
        page->RaiseCommandStateChange(CSC_NAVIGATEFORWARD, 1);
        page->RaiseCommandStateChange(CSC_UPDATECOMMANDS, 0);
        EXPECT_EQ(frame->m_hAddressEdit->text(), "http://a.example/");
        EXPECT_TRUE(Enabled(ID_GO_BACK));
        EXPECT_TRUE(Enabled(ID_GO_FORWARD));

        page->RaiseQuit(); // the page's window.close()
        ASSERT_TRUE(WaitFor([this] { return PaneCount() == 0; }));
        EXPECT_EQ(frame->m_hAddressEdit->text(), "");
        EXPECT_FALSE(Enabled(ID_GO_BACK));
        EXPECT_FALSE(Enabled(ID_GO_FORWARD));
        Close();
    }
}

TEST_F(BrowserCommandsTest, TextSizeChangesTheActivePageAndIsKept)
{
    Open();
    MakePanes(2);
    CFakeBrowserControl* back = Control(Pane(0));
    CFakeBrowserControl* page = Control(Pane(1));
    EXPECT_EQ(form->InternetSettings().m_nTextSize, 3);
    EXPECT_EQ(page->m_nZoom, 2) << "a new page starts at the workspace's size";

    ASSERT_TRUE(frame->SendCommand(ID_VIEW_TEXT_LARGE));
    EXPECT_EQ(form->InternetSettings().m_nTextSize, 4);
    EXPECT_EQ(page->m_nZoom, 3);
    EXPECT_EQ(back->m_nZoom, 2) << "only the active page changes";
    const int ids[] = {ID_VIEW_TEXT_LARGEST, ID_VIEW_TEXT_LARGE, ID_VIEW_TEXT_MEDIUM,
                       ID_VIEW_TEXT_SMALLER, ID_VIEW_TEXT_SMALLEST};
    for (int id : ids)
        EXPECT_EQ(Mark(id), id == ID_VIEW_TEXT_LARGE ? 1 : 0) << id;

    // The page's own level shows: the page behind has the old one.
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST));
    for (int id : ids)
        EXPECT_EQ(Mark(id), id == ID_VIEW_TEXT_MEDIUM ? 1 : 0) << id;
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    EXPECT_EQ(controls.Last()->m_nZoom, 3);

    // A text pane has no level.
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    for (int id : ids)
        EXPECT_EQ(Mark(id), 0) << id;

    Close();
    CRegKey font;
    QByteArray size;
    ASSERT_TRUE(font.Open(QString::fromLatin1(CInternetSettings::kFontKey)));
    ASSERT_TRUE(font.QueryBinary("IEFontSize", &size));
    ASSERT_EQ(size.size(), 4);
    EXPECT_EQ(qFromLittleEndian<quint32>(size.constData()), 3u);
    EXPECT_EQ(app.ViewFont, 3);
}

TEST_F(BrowserCommandsTest, SourceViewOpensATextPaneWithTheMarkup)
{
    Open();
    CFakeBrowserControl* page = Control(Pane(0));
    EXPECT_TRUE(Enabled(ID_VIEW_SOURCE));
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(PaneCount(), 2);
    auto* source = qobject_cast<CTextPane*>(Pane(1));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(Tabs()->GetTabLabel(1), "3 : Source");
    EXPECT_EQ(form->GetActivePane(), source);
    EXPECT_FALSE(Enabled(ID_VIEW_SOURCE)) << "no source of a source";
    ASSERT_EQ(page->m_markupQueries.size(), 1);
    page->m_markupQueries.takeFirst()({true, "<p>markup</p>"});
    EXPECT_EQ(source->Edit()->toPlainText(), "<p>markup</p>");
    EXPECT_TRUE(source->Edit()->isReadOnly());

    // A failed answer shows an empty text; a text pane gone before the answer is left alone.
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST));
    EXPECT_TRUE(Enabled(ID_VIEW_SOURCE));
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    page->m_markupQueries.takeFirst()({false, "partial"});
    auto* failed = qobject_cast<CTextPane*>(form->GetActivePane());
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->Edit()->toPlainText(), "");
    EXPECT_EQ(failed->GetTitle(), "Source");

    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST));
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE));
    ASSERT_EQ(PaneCount(), 4);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
    ASSERT_EQ(PaneCount(), 3);
    page->m_markupQueries.takeFirst()({true, "late"});
    EXPECT_EQ(PaneCount(), 3);
}

TEST_F(BrowserCommandsTest, TheSourceViewInFrontShowsTheAddressOfItsPage)
{
    Open();
    Control(Pane(0))->RaiseAddressChange("http://a.example/");
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    Control(Pane(1))->RaiseAddressChange("http://b.example/");
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_SOURCE)); // of b
    EXPECT_EQ(AddressEdit()->text(), "http://b.example/");
    // Chosen from another pane, and as the neighbour of a page that closes.
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST));
    EXPECT_EQ(AddressEdit()->text(), "http://a.example/");
    ASSERT_TRUE(frame->SendCommand(ID_SELECT_PANE_FIRST + 2));
    EXPECT_EQ(AddressEdit()->text(), "http://b.example/");
    ASSERT_TRUE(frame->SendCommand(ID_FILE_NEW));
    Control(Pane(3))->RaiseAddressChange("http://d.example/");
    ASSERT_TRUE(frame->SendCommand(ID_FILE_CLOSE));
    ASSERT_EQ(ActiveIndex(), 2);
    EXPECT_EQ(AddressEdit()->text(), "http://b.example/");
    // The page moving on later does not change what the source view is of.
    Control(Pane(1))->RaiseAddressChange("http://b2.example/");
    EXPECT_EQ(AddressEdit()->text(), "http://b.example/");
}

TEST_F(BrowserCommandsTest, ATypedAddressThatLoadsNothingGivesTheTabBack)
{
    Open();
    CFakeBrowserControl* page = Control(Pane(0));
    page->RaiseAddressChange("http://a.example/");
    page->RaiseTitleChange("Page A");
    // The control refuses the address (as a malformed one): the tab is the page's again.
    page->m_bNavigateFails = true;
    form->NavigateActivePane("http://[bad", true);
    EXPECT_EQ(Pane(0)->GetTitle(), "Page A");
    // A load that is stopped before its page arrives.
    page->m_bNavigateFails = false;
    form->NavigateActivePane("http://slow.example/", true);
    EXPECT_EQ(Pane(0)->GetTitle(), "http://slow.example/");
    ASSERT_TRUE(frame->SendCommand(ID_VIEW_STOP));
    EXPECT_EQ(Pane(0)->GetTitle(), "Page A");
    EXPECT_EQ(Tabs()->GetTabLabel(0), "2 : Page A");
}

TEST_F(BrowserCommandsTest, EditCommandsServeTheAddressFieldOrThePage)
{
    Open();
    CFakeBrowserControl* page = Control(Pane(0));
    page->m_nEnabledCommands = (1 << OLECMDID_CUT) | (1 << OLECMDID_COPY) | (1 << OLECMDID_PASTE);
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->clear();

    QLineEdit* edit = AddressEdit();
    edit->setFocus();
    edit->setText("abc");
    edit->setSelection(1, 2);
    EXPECT_TRUE(Enabled(ID_EDIT_CUT));
    EXPECT_TRUE(Enabled(ID_EDIT_COPY));
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE)) << "no text on the clipboard, whatever the page says";
    page->ClearCalls();
    ASSERT_TRUE(frame->SendCommand(ID_EDIT_COPY));
    EXPECT_EQ(clipboard->text(), "bc");
    EXPECT_TRUE(Enabled(ID_EDIT_PASTE));
    ASSERT_TRUE(frame->SendCommand(ID_EDIT_CUT));
    EXPECT_EQ(edit->text(), "a");
    ASSERT_TRUE(frame->SendCommand(ID_EDIT_PASTE));
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_TRUE(page->Calls().isEmpty()) << "the page saw nothing";

    edit->setSelection(2, 1);
    EXPECT_FALSE(Enabled(ID_EDIT_CUT)) << "one character is no selection";
    EXPECT_FALSE(Enabled(ID_EDIT_COPY));

    // The page has the focus: its own command state counts.
    Pane(0)->Window()->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), Pane(0)->Window());
    page->m_nEnabledCommands = 1 << OLECMDID_COPY;
    clipboard->clear();
    EXPECT_FALSE(Enabled(ID_EDIT_CUT));
    EXPECT_TRUE(Enabled(ID_EDIT_COPY));
    EXPECT_FALSE(Enabled(ID_EDIT_PASTE));
    ASSERT_TRUE(frame->SendCommand(ID_EDIT_COPY));
    EXPECT_EQ(page->Calls(), QStringList{"ExecWB 12 0"});
    EXPECT_EQ(edit->text(), "abc");
}

TEST_F(BrowserCommandsTest, SwitchesOfTheBrowserSettings)
{
    CRegistryStore().SetValue(kMain, RegValue::String("Windows CE Page", "http://hpc.example/"));
    Open();
    EXPECT_EQ(Mark(ID_FILE_WORK_OFFLINE), 0);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_WORK_OFFLINE));
    EXPECT_EQ(Mark(ID_FILE_WORK_OFFLINE), 1);
    ASSERT_TRUE(frame->SendCommand(ID_FILE_WORK_OFFLINE));
    EXPECT_EQ(Mark(ID_FILE_WORK_OFFLINE), 0);

    // Handheld PC Web: the platform browser's start page, not recorded as typed.
    CFakeBrowserControl* page = Control(Pane(0));
    page->ClearCalls();
    ASSERT_TRUE(frame->SendCommand(ID_GO_HPC_WEB));
    EXPECT_EQ(page->Calls().value(0), "Navigate2 http://hpc.example/");
    page->RaiseAddressChange("http://hpc.example/");
    EXPECT_TRUE(ComboItems().isEmpty());

    const struct
    {
        int nID;
        const char* name;
        const char* value;
    } switches[] = {
        {ID_IMAGES_OFF, "Display Inline Images", "no"},
        {ID_IMAGES_ON, "Display Inline Images", "yes"},
        {ID_SOUND_OFF, "Play_Background_Sounds", "no"},
        {ID_SOUND_ON, "Play_Background_Sounds", "yes"},
    };
    for (const auto& s : switches) {
        ASSERT_TRUE(frame->SendCommand(s.nID)) << s.nID;
        EXPECT_EQ(StoredMain(s.name), s.value) << s.nID;
    }
}

TEST_F(BrowserCommandsTest, TypedAddressReachesTheListAndTheRegistry)
{
    Open();
    CFakeBrowserControl* page = Control(Pane(0));
    const QString typed = QStringLiteral("http://typed.example/");
    AddressEdit()->setFocus();
    AddressEdit()->setText(typed);
    page->ClearCalls();
    Key(Qt::Key_Return, {});
    EXPECT_EQ(page->Calls().value(0), "Navigate2 " + typed);
    EXPECT_EQ(Tabs()->GetTabLabel(0), "2 : " + typed);
    EXPECT_TRUE(ComboItems().isEmpty()) << "recorded once the page reports it";
    page->RaiseAddressChange(typed + "#part");
    EXPECT_EQ(ComboItems().value(0), typed);

    // Ctrl+M hides the bands and the bars button offers to show them.
    Pane(0)->Window()->setFocus();
    Key(Qt::Key_M);
    EXPECT_FALSE(frame->GetCommandBands()->isVisible());
    EXPECT_EQ(form->AddressBarButton()->text(), "S");
    ASSERT_TRUE(frame->SendCommand(ID_FOCUS_ADDRESS_BAR));
    EXPECT_EQ(QApplication::focusWidget(), Pane(0)->Window()) << "no hidden address field";
    QTest::mouseClick(form->AddressBarButton(), Qt::LeftButton);
    EXPECT_TRUE(frame->GetCommandBands()->isVisible());
    EXPECT_EQ(form->AddressBarButton()->text(), "H");
    ASSERT_TRUE(frame->SendCommand(ID_FOCUS_ADDRESS_BAR));
    EXPECT_EQ(QApplication::focusWidget(), frame->m_hAddressCombo);

    Close();
    CRegKey key;
    QString stored;
    ASSERT_TRUE(key.Open(QString::fromLatin1(CInternetSettings::kTypedUrlsKey)));
    EXPECT_TRUE(key.QueryString("url10", &stored));
    EXPECT_EQ(stored, typed);
}
} // namespace
