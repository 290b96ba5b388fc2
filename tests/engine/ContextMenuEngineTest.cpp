// SPDX-License-Identifier: GPL-3.0-or-later
// The page menu on real pages of the real frame and workspace: what a right click offers, what
// it leaves of the page, and opening links in new panes.
#include "EngineWorkspace.h"
#include "MenuText.h"
#include "ModalDriver.h"
#include "TempHome.h"
#include "WaitFor.h"

#include "app/MainFrame.h"
#include "app/NuvBrowserApp.h"
#include "panes/HtmlPane.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineDownloads.h"
#include "res/Resource.h"
#include "workspace/ContextCommands.h"
#include "workspace/NuvBrowserForm.h"
#include "workspace/PaneTabCtrl.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

class ContextMenuEngineTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        m_server.SetHtml("/page.html", "<html><head><title>Page</title></head>"
                                       "<body style='margin:0;font-size:20px'>"
                                       "<p id='text' style='margin:0'>alpha beta gamma</p>"
                                       "<p style='margin:20px 0'><a id='link' href='next.html'>"
                                       "next page</a></p>"
                                       "<p><a id='slow' href='slow.zip'>slow file</a></p>"
                                       "</body></html>");
        // A transfer that sends its first bytes and then nothing until released.
        CLoopbackHttpServer::Page slow;
        slow.contentType = "application/zip";
        slow.body = QByteArray(200000, 'z');
        slow.delivery = CLoopbackHttpServer::Page::Stall;
        slow.nStallBytes = 20000;
        m_server.SetPage("/slow.zip", slow);
        m_server.SetHtml("/next.html", "<html><head><title>Next</title></head><body>next</body>"
                                       "</html>");

        Open();
        if (HasFatalFailure())
            return;
        m_pForm->NavigateActivePane(m_server.Url("/page.html"), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(Pane(), "/page.html"); }));
        ASSERT_NE(PageWidget(), nullptr);
        Pane()->Window()->setFocus();
    }

    // The active pane.
    CHtmlPane* Pane() const { return qobject_cast<CHtmlPane*>(m_pForm->GetActivePane()); }
    CHtmlPane* PaneAt(int n) const
    {
        return qobject_cast<CHtmlPane*>(m_pForm->TabStrip()->GetTabPane(n));
    }
    int PaneCount() const { return m_pForm->TabStrip()->count(); }
    // The widget inside the page's view that gets the pointer and the keys.
    QWidget* PageWidget() const
    {
        QWidget* pView = Pane() ? Pane()->Window() : nullptr;
        return pView ? pView->focusProxy() : nullptr;
    }
    QString Evaluate(const QString& script)
    {
        return EngineWorkspaceTest::Evaluate(Pane(), script);
    }
    // The middle of an element of the page, in the page widget's coordinates.
    QPoint Center(const QString& id) { return EngineWorkspaceTest::Center(Pane(), id); }
    QMenu* Menu() const { return m_pForm->ContextCommands()->ActiveMenu(); }
    std::string Describe() const { return DescribeMenu(Menu()); }
    QAction* Item(const QString& text) const { return FindMenuItem(Menu(), text); }
    // Whether a save that failed leaves the folder empty. The engine deletes its own partial
    // file (".part.download") on its file thread after it reported the end: that file has to
    // go, but may still be there when we hear of it.
    static ::testing::AssertionResult LeavesNothingIn(const QTemporaryDir& dir)
    {
        const auto files = [&] { return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden); };
        if (WaitFor([&] { return files().isEmpty(); }))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "left: " << files().join(' ').toStdString();
    }
    void RightClick(const QPoint& pt)
    {
        QTest::mousePress(PageWidget(), Qt::RightButton, {}, pt);
        QTest::mouseRelease(PageWidget(), Qt::RightButton, {}, pt);
    }
};

TEST_F(ContextMenuEngineTest, RightClickOnALinkOffersItAndOpensItInANewPane)
{
    const QPoint ptLink = Center("link");
    RightClick(ptLink);
    ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
    EXPECT_EQ(Describe(), "Open Li&nk in New Window | - | &Save Link Target As... | - | (Cu&t) | "
                          "(&Copy) | Copy Shortcu&t | (&Paste) | Select &All | - | &Print | "
                          "&Refresh");
    EXPECT_EQ(Menu()->pos(), PageWidget()->mapToGlobal(ptLink) + QPoint(5, 5));
    EXPECT_EQ(Pane()->GetLinkAddress(), m_server.Url("/next.html"));

    CHtmlPane* pFirst = Pane();
    QAction* pOpen = Item("Open Li&nk in New Window");
    ASSERT_NE(pOpen, nullptr);
    Menu()->setActiveAction(pOpen);
    QTest::keyClick(Menu(), Qt::Key_Return);
    ASSERT_TRUE(WaitFor([this] { return PaneCount() == 2; }));
    CHtmlPane* pNew = PaneAt(1);
    ASSERT_TRUE(WaitFor([&] { return Shows(pNew, "/next.html"); }));
    EXPECT_TRUE(Shows(pFirst, "/page.html")) << "the page itself stays";
    EXPECT_EQ(m_pForm->GetActivePane(), pNew);
}

// The menu keys ask for the menu of the element with the keyboard focus, beside it.
TEST_F(ContextMenuEngineTest, MenuKeysOfferTheFocusedLinkBesideIt)
{
    QCursor::setPos(m_pFrame->mapToGlobal(QPoint(1, 1))); // the pointer away from the page
    for (const auto& key : {std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)},
                            std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()}}) {
        SCOPED_TRACE(int(key.first));
        // Tab until the link has the focus. Each Tab is given time to arrive before the next:
        // on a busy machine Tabs sent ahead of the page would carry the focus past the link.
        ASSERT_TRUE(WaitFor(
            [&] {
                const QString before = Evaluate("document.activeElement.id");
                if (before == "link")
                    return true;
                QTest::keyClick(PageWidget(), Qt::Key_Tab);
                WaitFor([&] { return Evaluate("document.activeElement.id") != before; }, 2000);
                return false;
            },
            40000));
        QTest::keyClick(PageWidget(), key.first, key.second);
        ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
        EXPECT_EQ(Describe(),
                  "Open Li&nk in New Window | - | &Save Link Target As... | - | (Cu&t) | "
                  "(&Copy) | Copy Shortcu&t | (&Paste) | Select &All | - | &Print | &Refresh");
        EXPECT_EQ(Pane()->GetLinkAddress(), m_server.Url("/next.html"));
        // Below the link's left end, not at the page's corner.
        const QPoint ptLink = Center("link");
        const QPoint ptMenu = PageWidget()->mapFromGlobal(Menu()->pos());
        EXPECT_LT(ptMenu.x(), ptLink.x()) << ptMenu.x() << "," << ptMenu.y();
        EXPECT_GT(ptMenu.x(), 0);
        EXPECT_GT(ptMenu.y(), ptLink.y());
        EXPECT_LT(ptMenu.y(), ptLink.y() + 40);
        Menu()->close();
        ASSERT_TRUE(WaitFor([this] { return Menu() == nullptr; }));
    }
}

TEST_F(ContextMenuEngineTest, RightClickKeepsTheSelectionForCopy)
{
    Evaluate("getSelection().selectAllChildren(document.getElementById('text'))");
    ASSERT_TRUE(WaitFor([&] { return Pane()->IsCommandEnabled(12); }));
    RightClick(Center("text"));
    ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
    EXPECT_EQ(Describe(), "(Cu&t) | &Copy | (&Paste) | Select &All | - | &Print | &Refresh");
    EXPECT_EQ(Evaluate("getSelection().toString()"), "alpha beta gamma");
    Menu()->close();
}

TEST_F(ContextMenuEngineTest, RightClickIntoAFieldOffersPaste)
{
    QApplication::clipboard()->setText("pasted");
    Evaluate("var f = document.createElement('input'); f.id = 'field';"
             "document.body.appendChild(f); 'ok'");
    // The page may not take the press until it is drawn: ask again until it does.
    ASSERT_TRUE(WaitFor([&] {
        if (Menu())
            Menu()->close();
        RightClick(Center("field"));
        return WaitFor([this] { return Menu() && Menu()->isVisible(); }, 3000) && Item("&Paste") &&
               Item("&Paste")->isEnabled();
    })) << (Menu() ? Describe() : std::string("<no menu>"));
    EXPECT_EQ(Evaluate("document.activeElement.id"), "field");
    Menu()->setActiveAction(Item("&Paste"));
    QTest::keyClick(Menu(), Qt::Key_Return);
    ASSERT_TRUE(
        WaitFor([&] { return Evaluate("document.getElementById('field').value") == "pasted"; }));
}

TEST_F(ContextMenuEngineTest, AltTapOnALinkShowsTheMenuAndNeitherFollowsNorSavesIt)
{
    int nDownloads = 0;
    auto* pControl = dynamic_cast<CWebEngineControl*>(Pane()->Browser());
    QObject::connect(pControl->page()->profile(), &QWebEngineProfile::downloadRequested,
                     m_pFrame.get(), [&nDownloads] { ++nDownloads; });
    QTest::mouseClick(PageWidget(), Qt::LeftButton, Qt::AltModifier, Center("link"));
    ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
    EXPECT_EQ(Item("Open Li&nk in New Window") != nullptr, true) << Describe();
    Menu()->close();
    QTest::qWait(500);
    EXPECT_EQ(nDownloads, 0);
    EXPECT_TRUE(Shows(Pane(), "/page.html"));
}

TEST_F(ContextMenuEngineTest, MiddleClickOnALinkOpensItInANewPane)
{
    const QPoint ptLink = Center("link");
    // The engine drops input until the page is drawn: click until it takes one, and give
    // each click the time to open its window.
    for (int i = 0; i < 10 && PaneCount() == 1; ++i) {
        QTest::mouseClick(PageWidget(), Qt::MiddleButton, {}, ptLink);
        WaitFor([&] { return PaneCount() > 1; }, 1500);
    }
    ASSERT_EQ(PaneCount(), 2);
    ASSERT_TRUE(WaitFor([&] { return Shows(PaneAt(1), "/next.html"); }));
    EXPECT_TRUE(WaitFor([&] { return Shows(PaneAt(0), "/page.html"); }));
}

// A web page's links, images and frames that lead to local files or to the engine's own
// views: the menu offers them, but the commands neither open nor save them (the engine keeps
// the page itself from following them too), and the status bar says why.
TEST_F(ContextMenuEngineTest, AWebPageOpensAndSavesNoLocalFile)
{
    // The engine keeps the page's own picture out and says so on the page's console.
    CExpectQtWarning refusedPicture("Not allowed to load local resource");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile secret(dir.filePath("secret.html"));
    ASSERT_TRUE(secret.open(QIODevice::WriteOnly));
    secret.write("<html><head><title>Secret</title></head><body>secret</body></html>");
    secret.close();
    const QString file = QUrl::fromLocalFile(dir.filePath("secret.html")).toString();
    const QString picture = QUrl::fromLocalFile(dir.filePath("pic.gif")).toString();
    m_server.SetHtml("/local.html",
                     "<html><body style='margin:0'>"
                     "<p><a id='link' href='" +
                         file.toUtf8() +
                         "'>a local file</a></p>"
                         "<p><a id='source' href='view-source:" +
                         file.toUtf8() +
                         "'>its source</a></p>"
                         "<p><img id='image' src='" +
                         picture.toUtf8() +
                         "' width='40' height='40' style='display:block'></p></body></html>");
    m_server.SetHtml("/frames.html", "<html><frameset rows='50%,50%'><frame src='next.html'>"
                                     "<frame id='frame' src='" +
                                         file.toUtf8() + "'></frameset></html>");
    struct Case
    {
        const char* page;
        const char* id;
        const char* item;
        QString target;
    };
    const Case cases[] = {
        {"/local.html", "link", "Open Li&nk in New Window", file},
        {"/local.html", "link", "&Save Link Target As...", file},
        {"/local.html", "source", "Open Li&nk in New Window", "view-source:" + file},
        {"/local.html", "image", "Open Image in New Window(&H)", picture},
        {"/local.html", "image", "Save &Image As...", picture},
        {"/frames.html", "frame", "Open &Frame in New Window", file},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.id) + ": " + c.item);
        if (!Shows(Pane(), c.page)) {
            m_pForm->NavigateActivePane(m_server.Url(c.page), false);
            ASSERT_TRUE(WaitFor([&] { return Shows(Pane(), c.page); }));
        }
        m_pFrame->SetStatusText(QString());
        // The page may not take the press until it is drawn: ask again until it does.
        ASSERT_TRUE(WaitFor([&] {
            if (Menu())
                Menu()->close();
            RightClick(Center(c.id));
            return WaitFor([this] { return Menu() && Menu()->isVisible(); }, 3000) && Item(c.item);
        })) << (Menu() ? Describe() : std::string("<no menu>"));
        Menu()->setActiveAction(Item(c.item));
        QTest::keyClick(Menu(), Qt::Key_Return);
        const QString refused = "This page may not open " + c.target;
        EXPECT_TRUE(WaitFor([&] { return m_pFrame->GetStatusText() == refused; }))
            << m_pFrame->GetStatusText().toStdString();
        QWidget* pModal = QApplication::activeModalWidget();
        EXPECT_EQ(pModal, nullptr) << "no save dialog";
        if (pModal)
            pModal->close();
        ASSERT_EQ(PaneCount(), 1);
    }
}

TEST_F(ContextMenuEngineTest, SavingALinkTargetShowsProgressAndStopCancelsIt)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("slow.zip");
    CModalDriver driver({[&](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(target);
        static_cast<QDialog*>(dialog)->accept();
    }});
    RightClick(Center("slow"));
    ASSERT_TRUE(WaitFor([this] { return Menu() && Menu()->isVisible(); }));
    QAction* pSave = Item("&Save Link Target As...");
    ASSERT_NE(pSave, nullptr) << Describe();
    Menu()->setActiveAction(pSave);
    QTest::keyClick(Menu(), Qt::Key_Return);

    // The first part arrived: the shared bar shows it, and the file is not there yet.
    QProgressBar* pBar = m_pForm->ProgressBar();
    ASSERT_TRUE(WaitFor([&] { return pBar->value() > 0; }));
    EXPECT_EQ(pBar->value(), 20000 * pBar->maximum() / 200000);
    EXPECT_FALSE(QFile::exists(target));
    // The status bar is hidden: a note over the page tells what runs and how to stop it.
    auto* pNote = Pane()->Window()->findChild<QLabel*>("pageNote");
    ASSERT_NE(pNote, nullptr);
    EXPECT_TRUE(pNote->isVisible());
    EXPECT_EQ(pNote->text(), "Saving \"slow.zip\"... (Esc cancels)");

    // Esc stops it: nothing is left behind, the bar is reset, and no message calls the
    // stop a failure.
    ASSERT_TRUE(WaitFor([] { return QApplication::activeModalWidget() == nullptr; }));
    // (The offscreen platform leaves no active window once the dialog closed: the window
    // system then delivers the key to the main window's own focus widget, else to the window.)
    QWidget* pFocus = QApplication::focusWidget();
    if (pFocus == nullptr)
        pFocus = m_pFrame->focusWidget();
    QTest::keyClick(pFocus ? pFocus : static_cast<QWidget*>(m_pFrame.get()), Qt::Key_Escape);
    EXPECT_TRUE(LeavesNothingIn(dir));
    EXPECT_EQ(pBar->value(), 0);
    EXPECT_TRUE(WaitFor([&] { return !pNote->isVisible(); }));
    QTest::qWait(300);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(driver.Handled(), 1);
}

TEST_F(ContextMenuEngineTest, ASaveThatReceivesNothingMoreFails)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const int nLimit = CWebEngineDownloads::StallTimeout();
    CWebEngineDownloads::SetStallTimeout(300);
    std::optional<SaveResult> result;
    Pane()->SaveAddressToFile(m_server.Url("/slow.zip"), dir.filePath("slow.zip"),
                              [&](SaveResult r) { result = r; });
    ASSERT_TRUE(WaitFor([&] { return result.has_value(); }));
    CWebEngineDownloads::SetStallTimeout(nLimit);
    EXPECT_EQ(*result, SaveResult::Failed);
    EXPECT_TRUE(LeavesNothingIn(dir));
}

} // namespace
