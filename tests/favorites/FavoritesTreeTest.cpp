// SPDX-License-Identifier: GPL-3.0-or-later
// The favorites tree over a real tree widget and a recording host: opening by tap, double tap
// and Enter, the status text, Add to Favorites through its file dialog, Refresh and Organize.
#include "ModalDriver.h"
#include "TempHome.h"
#include "WaitFor.h"

#include "commands/CmdTarget.h"
#include "favorites/FavoritesHost.h"
#include "favorites/FavoritesOrganizer.h"
#include "favorites/FavoritesStore.h"
#include "favorites/FavoritesTree.h"
#include "favorites/ShortcutFile.h"
#include "res/FileFilter.h"
#include "res/Resource.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThreadPool>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace {
class CRecordingHost : public IFavoritesHost
{
public:
    int GetViewSortFavorite() const override { return nSort; }
    int GetViewSingleFavorite() const override { return nSingle; }
    int GetViewNewWindow() const override { return nNewWindow; }
    QString GetFavoritesPath() const override { return strPath; }
    bool HasActivePane() const override { return bPane; }
    QString GetActivePaneTitle() const override { return bPane ? strTitle : QString(); }
    QString GetActivePaneAddress() const override { return bPane ? strAddress : QString(); }
    void NavigateActivePaneTo(const QString& a) override { opened << "active " + a; }
    void NavigateNewPane(const QString& a, bool bTyped) override
    {
        opened << (bTyped ? "new typed " : "new ") + a;
    }
    void SetStatusText(const QString& t) override { status = t; }
    void ScheduleFocus() override { ++nFocus; }

    int nSort = 0;
    int nSingle = 0;
    int nNewWindow = 0;
    QString strPath;
    bool bPane = true;
    QString strTitle;
    QString strAddress;
    QStringList opened;
    QString status;
    int nFocus = 0;
};

class FavoritesTreeTest : public ::testing::Test
{
protected:
    CTempHome home;
    CRecordingHost host;
    QWidget window;
    QTreeWidget tree{&window};
    CFavoritesTree& favorites = *new CFavoritesTree(&tree, &host); // the tree's child

    void SetUp() override
    {
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
        host.strPath = home.Path() + "/Favorites";
        ASSERT_TRUE(QDir().mkpath(host.strPath + "/Sub"));
        Write("Sub/Inner.url", "[InternetShortcut]\r\nURL=http://inner/");
        Write("Site.url", "[InternetShortcut]\r\nURL=http://site/");
        Write("Empty.url", "");
        tree.setRootIsDecorated(true);
        window.resize(300, 400);
        tree.setGeometry(0, 0, 300, 400);
        favorites.RebuildFavorites();
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    void Write(const QString& rel, const QByteArray& bytes)
    {
        QFile f(host.strPath + "/" + rel);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray Read(const QString& rel) const
    {
        QFile f(host.strPath + "/" + rel);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QTreeWidgetItem* Item(const QString& text) const
    {
        const auto found = tree.findItems(text, Qt::MatchExactly | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.first();
    }
    // A point of the tree's viewport, in the window, where the window system would report it.
    QPoint InWindow(const QPoint& ptViewport) const
    {
        return tree.viewport()->mapTo(&window, ptViewport);
    }
    QPoint OnLabel(QTreeWidgetItem* item) const { return tree.visualItemRect(item).center(); }
    void Tap(const QPoint& ptViewport)
    {
        QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, InWindow(ptViewport));
        QCoreApplication::processEvents();
    }
    void DoubleTap(const QPoint& ptViewport)
    {
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, InWindow(ptViewport));
        QCoreApplication::processEvents();
    }
    // Types a name or path into the file dialog and accepts it.
    static CModalDriver::Handler TypeInFileDialog(const QString& name)
    {
        return [name](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name); // as typed
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept checks the name
        };
    }
    // Every item's text, indented by its depth, depth first.
    QStringList Outline() const
    {
        QStringList lines;
        std::function<void(QTreeWidgetItem*, const QString&)> walk = [&](QTreeWidgetItem* item,
                                                                         const QString& indent) {
            for (int i = 0; i < item->childCount(); ++i) {
                lines << indent + item->child(i)->text(0);
                walk(item->child(i), indent + "  ");
            }
        };
        walk(tree.invisibleRootItem(), QString());
        return lines;
    }
    void SetShift(bool bDown)
    {
        if (bDown)
            QTest::keyPress(window.windowHandle(), Qt::Key_Shift, Qt::ShiftModifier);
        else
            QTest::keyRelease(window.windowHandle(), Qt::Key_Shift);
        QCoreApplication::processEvents();
    }
};

TEST_F(FavoritesTreeTest, ShortcutsOpenWhereShiftAndViewNewWindowSay)
{
    struct Case
    {
        int nNewWindow;
        bool bShift;
        const char* expected;
    } cases[] = {
        {0, false, "active http://site/"},
        {1, false, "new http://site/"},
        {2, false, "new http://site/"},
        {0, true, "new http://site/"},
    };
    for (const Case& c : cases) {
        host.opened.clear();
        host.nNewWindow = c.nNewWindow;
        tree.setCurrentItem(Item("Site"));
        SetShift(c.bShift);
        EXPECT_TRUE(favorites.OpenSelectedFavorite(false));
        SetShift(false);
        EXPECT_EQ(host.opened, QStringList{c.expected}) << c.nNewWindow << c.bShift;
    }

    // Without an active pane the address is still handed on: the host shows it nowhere.
    host.opened.clear();
    host.bPane = false;
    EXPECT_TRUE(favorites.OpenSelectedFavorite(false));

    // A shortcut without an address opens nothing; a folder opens and closes, except on a
    // double tap, where the tree did it already.
    tree.setCurrentItem(Item("Empty"));
    EXPECT_FALSE(favorites.OpenSelectedFavorite(false));
    QTreeWidgetItem* sub = Item("Sub");
    tree.setCurrentItem(sub);
    EXPECT_FALSE(favorites.OpenSelectedFavorite(false));
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_FALSE(favorites.OpenSelectedFavorite(true));
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_FALSE(favorites.OpenSelectedFavorite(false));
    EXPECT_FALSE(sub->isExpanded());
    EXPECT_EQ(host.opened, QStringList{"active http://site/"});
}

TEST_F(FavoritesTreeTest, AFileNameThatIsNotUtf8StillOpens)
{
    const QByteArray path = QFile::encodeName(host.strPath) + "/Caf\xe9.url";
    FILE* f = std::fopen(path.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("[InternetShortcut]\r\nURL=http://raw/", f);
    std::fclose(f);
    favorites.RebuildFavorites();
    ::unlink(path.constData()); // the record keeps what it read

    QTreeWidgetItem* item = nullptr;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        if (tree.topLevelItem(i)->text(0).startsWith("Caf"))
            item = tree.topLevelItem(i);
    ASSERT_NE(item, nullptr);
    tree.setCurrentItem(item);
    EXPECT_TRUE(favorites.OpenSelectedFavorite(false));
    EXPECT_EQ(host.opened, QStringList{"active http://raw/"});
}

TEST_F(FavoritesTreeTest, ASingleTapOpensOnlyWithViewSingleFavoriteOne)
{
    for (int nSingle : {0, 1, 2}) {
        host.opened.clear();
        host.nFocus = 0;
        host.nSingle = nSingle;
        tree.setCurrentItem(nullptr);
        Tap(OnLabel(Item("Site")));
        EXPECT_EQ(tree.currentItem(), Item("Site"));
        EXPECT_EQ(host.status, "http://site/");
        EXPECT_EQ(host.opened, nSingle == 1 ? QStringList{"active http://site/"} : QStringList{})
            << nSingle;
        EXPECT_EQ(host.nFocus, nSingle == 1 ? 1 : 0);
    }

    // One tap on a folder opens it, the next closes it.
    host.nSingle = 1;
    QTreeWidgetItem* sub = Item("Sub");
    Tap(OnLabel(sub));
    EXPECT_TRUE(sub->isExpanded());
    Tap(OnLabel(sub));
    EXPECT_FALSE(sub->isExpanded());

    // One tap on the add entry asks for the file.
    CModalDriver driver({[](QWidget* w) {
        ASSERT_NE(qobject_cast<QFileDialog*>(w), nullptr);
        static_cast<QDialog*>(w)->reject();
    }});
    Tap(OnLabel(Item("To add Favorites")));
    EXPECT_EQ(driver.Handled(), 1);
}

TEST_F(FavoritesTreeTest, ADoubleTapOpensAShortcutAndTogglesAFolderOnce)
{
    DoubleTap(OnLabel(Item("Site")));
    EXPECT_EQ(host.opened, QStringList{"active http://site/"});
    EXPECT_EQ(host.nFocus, 1);

    QTreeWidgetItem* sub = Item("Sub");
    DoubleTap(OnLabel(sub));
    EXPECT_TRUE(sub->isExpanded());
    DoubleTap(OnLabel(sub));
    EXPECT_FALSE(sub->isExpanded());
    EXPECT_EQ(host.opened.size(), 1);

    // With single taps on, the first tap of the two opens the folder and the tree closes it
    // again; the second release is not another tap.
    host.nSingle = 1;
    DoubleTap(OnLabel(sub));
    EXPECT_FALSE(sub->isExpanded());
}

TEST_F(FavoritesTreeTest, TapsBesideAnItemOpenTheItemAlreadySelected)
{
    host.nSingle = 1;
    QTreeWidgetItem* sub = Item("Sub");
    tree.setCurrentItem(Item("Site"));

    // The expand button of Sub: Sub opens, Site is opened again.
    const QRect rcSub = tree.visualItemRect(sub);
    Tap(QPoint(rcSub.left() - tree.indentation() / 2, rcSub.center().y()));
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(tree.currentItem(), Item("Site"));

    // The indentation of Inner, left of its branch: the selection stays.
    const QRect rcInner = tree.visualItemRect(Item("Inner"));
    Tap(QPoint(rcInner.left() - tree.indentation() - 2, rcInner.center().y()));
    EXPECT_EQ(tree.currentItem(), Item("Site"));

    // Below the last item.
    Tap(QPoint(10, tree.viewport()->height() - 5));
    EXPECT_EQ(host.opened, QStringList(3, "active http://site/"));
}

TEST_F(FavoritesTreeTest, EnterInTheTreeOpensTheSelectionAndGoesNoFurther)
{
    int nParentKeys = 0;
    struct Counter : QObject
    {
        int* p;
        bool eventFilter(QObject*, QEvent* e) override
        {
            *p += e->type() == QEvent::KeyPress;
            return false;
        }
    } counter;
    counter.p = &nParentKeys;
    window.installEventFilter(&counter);
    tree.setFocus();

    tree.setCurrentItem(Item("Site"));
    QTest::keyClick(&tree, Qt::Key_Return);
    EXPECT_EQ(host.opened, QStringList{"active http://site/"});
    EXPECT_EQ(host.nFocus, 1);

    QTreeWidgetItem* sub = Item("Sub");
    tree.setCurrentItem(sub);
    QTest::keyClick(&tree, Qt::Key_Enter);
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(host.nFocus, 1);
    EXPECT_EQ(nParentKeys, 0);
}

TEST_F(FavoritesTreeTest, TheStatusBarShowsWhatTheSelectedItemIs)
{
    const struct
    {
        const char* item;
        const char* status;
    } cases[] = {
        {"Site", "http://site/"},
        {"To add Favorites", "To add Favorites"},
        {"Sub", "Sub"},
        {"Empty", ""},
    };
    for (const auto& c : cases) {
        host.status = "unchanged";
        tree.setCurrentItem(Item(c.item));
        EXPECT_EQ(host.status, c.status) << c.item;
    }
    host.status = "unchanged";
    tree.setCurrentItem(nullptr);
    EXPECT_EQ(host.status, "unchanged");
}

TEST_F(FavoritesTreeTest, AddToFavoritesWritesTheShortcutAndShowsItAtOnce)
{
    CCmdTarget commands;
    MapFavoritesCommands(commands, favorites);
    host.strTitle = "News / Today\\\x01";
    host.strAddress = QString::fromUtf8("http://example.com/\xc3\xa4");

    CModalDriver driver({[this](QWidget* w) {
        auto* dialog = qobject_cast<QFileDialog*>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->directory().absolutePath(), host.strPath);
        EXPECT_EQ(dialog->nameFilters(), QStringList{"Internet Shortcut (*.url)"});
        EXPECT_EQ(dialog->selectedFiles(), QStringList{host.strPath + "/News _ Today__.url"});
        static_cast<QDialog*>(dialog)->accept();
    }});
    EXPECT_TRUE(commands.OnCmdMsg(ID_FAVORITES_ADD));
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(Read("News _ Today__.url"),
              QByteArray("[InternetShortcut]\r\nURL=http://example.com/\xc3\xa4"));
    QTreeWidgetItem* item = Item("News _ Today__");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(FavoriteRecord(item)->pszURL, "http://example.com/\xc3\xa4");
    EXPECT_EQ(host.nFocus, 1);
}

TEST_F(FavoritesTreeTest, AFailedAddSaysSoAndLeavesTheDiskAsItWas)
{
    using Handler = CModalDriver::Handler;
    const auto choose = TypeInFileDialog;
    const Handler blankMessage = [](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "Blank window cannot be added in Favorites. ");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        box->button(QMessageBox::Ok)->click();
    };
    const Handler replace = [](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    };
    const Handler cancel = [](QWidget* w) { static_cast<QDialog*>(w)->reject(); };
    const QString fav = host.strPath;

    const struct
    {
        const char* what;
        QString address;
        QList<Handler> handlers;
    } cases[] = {
        {"blank window", "", {choose(fav + "/Blank.url"), blankMessage}},
        {"blank over a favorite", "", {choose(fav + "/Site.url"), replace, blankMessage}},
        {"address too long", QString(513, 'a'), {choose(fav + "/Long.url"), blankMessage}},
        {"address that would be read back cut",
         QString(kMaxShortcutAddress + 1, 'a'),
         {choose(fav + "/Long.url"), blankMessage}},
        {"folder missing", "http://a/", {choose(fav + "/Gone/X.url"), blankMessage}},
        {"cancelled", "http://a/", {cancel}},
    };
    for (const auto& c : cases) {
        host.strAddress = c.address;
        CModalDriver driver(c.handlers);
        EXPECT_FALSE(favorites.AddToFavorites()) << c.what;
        EXPECT_EQ(driver.Handled(), c.handlers.size()) << c.what;
        EXPECT_EQ(QDir(fav).entryList(QDir::Files), (QStringList{"Empty.url", "Site.url"}))
            << c.what;
    }
    EXPECT_EQ(Read("Site.url"), "[InternetShortcut]\r\nURL=http://site/");

    // Without an active pane nothing is asked.
    host.bPane = false;
    CModalDriver none({});
    EXPECT_FALSE(favorites.AddToFavorites());
    EXPECT_EQ(host.nFocus, 0);
}

TEST_F(FavoritesTreeTest, ATypedNameWithoutUrlGetsItSoTheTreeShowsIt)
{
    using Handler = CModalDriver::Handler;
    const auto typeName = TypeInFileDialog;
    const auto answer = [](QMessageBox::StandardButton button) -> Handler {
        return [button](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->text().contains("Old.com.url")) << box->text().toStdString();
            box->button(button)->click();
        };
    };
    Write("Old.com.url", "[InternetShortcut]\r\nURL=http://old/");
    host.strAddress = "http://example.com/";
    const struct
    {
        QString typed;
        QList<Handler> more; // after the file dialog
        bool bWritten;
        QString file;
        QString item;
    } cases[] = {
        {"Example.com", {}, true, "Example.com.url", "Example.com"},
        {"Plain", {}, true, "Plain.url", "Plain"},
        {"Upper.URL", {}, true, "Upper.URL", "Upper"},
        {"a.url.txt", {}, true, "a.url.txt.url", "a.url.txt"},
        {"Old.com", {answer(QMessageBox::No)}, false, "Old.com.url", "Old.com"},
        {"Old.com", {answer(QMessageBox::Yes)}, true, "Old.com.url", "Old.com"},
    };
    for (const auto& c : cases) {
        CModalDriver driver(QList<Handler>{typeName(c.typed)} + c.more);
        EXPECT_EQ(favorites.AddToFavorites(), c.bWritten) << c.typed.toStdString();
        EXPECT_EQ(driver.Handled(), 1 + c.more.size()) << c.typed.toStdString();
        EXPECT_EQ(Read(c.file), c.bWritten
                                    ? QByteArray("[InternetShortcut]\r\nURL=http://example.com/")
                                    : QByteArray("[InternetShortcut]\r\nURL=http://old/"))
            << c.typed.toStdString();
        EXPECT_NE(Item(c.item), nullptr) << c.typed.toStdString();
    }
    EXPECT_FALSE(QFile::exists(host.strPath + "/Example.com")) << "no file without .url";
}

TEST_F(FavoritesTreeTest, ProposedFileNames)
{
    const struct
    {
        QString title;
        QString name;
    } cases[] = {
        {"", ""},
        {"Plain", "Plain"},
        {"a/b\\c", "a_b_c"},
        {QString("tab\there\nand\x7f"), "tab_here_and_"},
        {"~root", "_root"},
        {"a~b", "a~b"},
        {QString(300, 'x'), QString(251, 'x')},
        {QString(200, QChar(0x00e4)), QString(125, QChar(0x00e4))},
        {QString(120, 'x') + QString::fromUtf8("\xf0\x9f\x98\x80").repeated(40),
         QString(120, 'x') + QString::fromUtf8("\xf0\x9f\x98\x80").repeated(32)},
        {QString(1, QChar(0xd800)) + "x", "_x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFavoritesTree::ProposedFileName(c.title), c.name) << c.title.toStdString();
}

TEST_F(FavoritesTreeTest, RefreshShowsTheFolderAsItIsNowInTheOrderSetNow)
{
    CCmdTarget commands;
    MapFavoritesCommands(commands, favorites);
    Item("Sub")->setExpanded(true);
    QFile::remove(host.strPath + "/Site.url");
    Write("Alpha.url", "URL=http://alpha/");
    host.nSort = 1;
    EXPECT_TRUE(commands.OnCmdMsg(ID_FAVORITES_REFRESH));
    QStringList top;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        top << tree.topLevelItem(i)->text(0);
    EXPECT_EQ(top, (QStringList{"To add Favorites", "Sub", "Alpha", "Empty"}));
    EXPECT_FALSE(Item("Sub")->isExpanded());
}

TEST_F(FavoritesTreeTest, AFolderReadOnAWorkerShowsAsAWalkShowsItAfterTheAddEntry)
{
    ASSERT_TRUE(QDir().mkpath(host.strPath + "/Sub/Deeper"));
    Write("Sub/Deeper/Deep.url", "URL=http://deep/");
    Write("alpha.url", "URL=http://alpha/");
    for (int nSort : {0, 1}) {
        SCOPED_TRACE(nSort);
        host.nSort = nSort;
        favorites.RebuildFavorites();
        const QStringList walked = Outline();
        // As at start-up: the add entry first, the reading started, then the fill asked for,
        // before or after the reading ends.
        for (bool bFillFirst : {true, false}) {
            SCOPED_TRACE(bFillFirst ? "fill asked for first" : "reading ended first");
            tree.clear();
            favorites.InsertAddEntry();
            QTreeWidgetItem* addEntry = tree.topLevelItem(0);
            favorites.StartReading();
            if (!bFillFirst)
                CFavoritesTree::ReadingPool()->waitForDone();
            EXPECT_TRUE(favorites.FillFavorites());
            EXPECT_TRUE(WaitFor([&] { return favorites.IsFilled(); }));
            EXPECT_EQ(Outline(), walked);
            EXPECT_EQ(tree.topLevelItem(0), addEntry) << "the add entry is the one shown before";
            EXPECT_EQ(FavoriteRecord(Item("Deep"))->pszURL, "http://deep/");
        }
    }
}

TEST_F(FavoritesTreeTest, ARefreshWhileTheFolderIsReadShowsItOnceAsItIsNow)
{
    tree.clear();
    favorites.InsertAddEntry();
    favorites.StartReading();
    favorites.FillFavorites();
    Write("Later.url", "URL=http://later/");
    favorites.RebuildFavorites();
    const QStringList now = Outline();
    EXPECT_TRUE(now.contains("Later"));
    // The reading that was under way adds nothing when it ends.
    CFavoritesTree::ReadingPool()->waitForDone();
    QCoreApplication::processEvents();
    QTest::qWait(50);
    EXPECT_EQ(Outline(), now);
    EXPECT_TRUE(favorites.IsFilled());
}

TEST_F(FavoritesTreeTest, OrganizeHandsTheFolderToTheDesktopsFileManagerElseOpensOurOwn)
{
    CCmdTarget commands;
    MapFavoritesCommands(commands, favorites);
    const QString bin = home.Path() + "/bin";
    ASSERT_TRUE(QDir().mkpath(bin));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin));
    const QString seen = home.Path() + "/seen";
    const QByteArray recorder = "#!/bin/sh\nprintf '%s' \"$*\" > \"" + QFile::encodeName(seen) +
                                ".tmp\"\n/bin/mv \"" + QFile::encodeName(seen) + ".tmp\" \"" +
                                QFile::encodeName(seen) + "\"\n";
    struct Case
    {
        const char* what;
        QByteArray script; // xdg-open; empty: none on the PATH
        bool bOrganizer;
    };
    const Case cases[] = {
        {"no xdg-open", "", true},
        {"no file manager for folders", "#!/bin/sh\nexit 3\n", true},
        {"the file manager shows it", recorder, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(bin + "/xdg-open");
        QFile::remove(seen);
        if (!c.script.isEmpty()) {
            QFile script(bin + "/xdg-open");
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write(c.script);
            script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        EXPECT_TRUE(commands.OnCmdMsg(ID_FAVORITES_ORGANIZE));
        if (c.bOrganizer) {
            ASSERT_TRUE(WaitFor([&] { return favorites.Organizer() != nullptr; }));
            auto* pNotice = favorites.Organizer()->findChild<QLabel*>();
            ASSERT_NE(pNotice, nullptr);
            EXPECT_TRUE(pNotice->text().contains("No file manager"))
                << pNotice->text().toStdString();
            favorites.Organizer()->close();
            ASSERT_TRUE(WaitFor([&] { return favorites.Organizer() == nullptr; }));
        } else {
            EXPECT_TRUE(WaitFor([&] { return QFile::exists(seen); }));
            QFile f(seen);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(QFile::decodeName(f.readAll()), home.DataHome() + "/nuvBrowser/Favorites");
            QTest::qWait(200);
            EXPECT_EQ(favorites.Organizer(), nullptr);
        }
    }
    qputenv("PATH", oldPath);
}

// The organiser works on the files, and the browser's tree follows each change.
TEST_F(FavoritesTreeTest, OrganizerChangesTheFilesAndTheTreeFollows)
{
    favorites.OpenOrganizer();
    CFavoritesOrganizer* pOrganizer = favorites.Organizer();
    ASSERT_NE(pOrganizer, nullptr);
    const QString folder = home.DataHome() + "/nuvBrowser/Favorites";
    host.strPath = folder; // the tree shows the folder the organiser changes
    ASSERT_TRUE(QDir().mkpath(folder + "/Sub"));
    {
        QFile f(folder + "/Site.url");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[InternetShortcut]\r\nURL=http://site/\r\n");
    }
    pOrganizer->Reload();
    favorites.RebuildFavorites();
    COrganizerTree* pTree = pOrganizer->Tree();
    const auto choose = [&](const QString& rel) {
        QTreeWidgetItem* pItem = pOrganizer->ItemOf(rel.isEmpty() ? folder : folder + "/" + rel);
        ASSERT_NE(pItem, nullptr) << rel.toStdString();
        pTree->clearSelection();
        pTree->setCurrentItem(pItem);
        pItem->setSelected(true);
    };

    // New Folder in Sub, named in place.
    choose("Sub");
    pOrganizer->OnNewFolder();
    EXPECT_TRUE(QFileInfo(folder + "/Sub/New Folder").isDir());
    QTreeWidgetItem* pNew = pOrganizer->ItemOf(folder + "/Sub/New Folder");
    ASSERT_NE(pNew, nullptr);
    pNew->setText(0, "Docs");
    EXPECT_TRUE(QFileInfo(folder + "/Sub/Docs").isDir());
    EXPECT_NE(Item("Docs"), nullptr) << "the browser's tree was read again";

    // A bad name is refused and said so; the folder keeps its name.
    CModalDriver refuse({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains("cannot be the name")) << box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    }});
    pOrganizer->ItemOf(folder + "/Sub/Docs")->setText(0, "../Docs");
    ASSERT_TRUE(WaitFor([&] { return refuse.Handled() == 1; }));
    EXPECT_TRUE(QFileInfo(folder + "/Sub/Docs").isDir());
    EXPECT_EQ(pOrganizer->ItemOf(folder + "/Sub/Docs")->text(0), "Docs");

    // Cut and Paste the shortcut into Docs.
    choose("Site.url");
    pOrganizer->OnCut();
    choose("Sub/Docs");
    pOrganizer->OnPaste();
    EXPECT_TRUE(QFile::exists(folder + "/Sub/Docs/Site.url"));
    EXPECT_FALSE(QFile::exists(folder + "/Site.url"));

    // A folder dropped into its own folder stays; the user hears why.
    CModalDriver intoItself({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->text().contains("into itself")) << box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    }});
    pOrganizer->MoveInto({folder + "/Sub"}, folder + "/Sub/Docs");
    ASSERT_TRUE(WaitFor([&] { return intoItself.Handled() == 1; }));
    EXPECT_TRUE(QFileInfo(folder + "/Sub/Docs").isDir());

    // Delete: away from the folder (to the trash, or for good once asked).
    choose("Sub");
    CModalDriver forGood({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    }});
    pOrganizer->OnDelete();
    ASSERT_TRUE(WaitFor([&] { return !QFile::exists(folder + "/Sub"); }));
    EXPECT_EQ(Item("Sub"), nullptr);
    pOrganizer->close();
}

TEST(FileDialogFilterTest, StringTablePairsBecomeQtFilters)
{
    EXPECT_EQ(LoadFileFilter(IDS_SHORTCUT_FILTER), "Internet Shortcut (*.url)");
    EXPECT_EQ(FileDialogFilter("HTML Files(*.htm, *.html)|*.htm; *.html|All Files(*.*)|*.*||"),
              "HTML Files (*.htm *.html);;All Files (*)");
    EXPECT_EQ(FileDialogFilter(""), "");
}
} // namespace
