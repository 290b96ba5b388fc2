// SPDX-License-Identifier: GPL-3.0-or-later
// The applet loader against the applets the build makes: a stand-in that records the calls
// it gets, one without an entry point, and the real Internet Options applet with its dialog.
#include "AccessibleTree.h"
#include "ModalDriver.h"
#include "TempHome.h"

#include "platform/AppletLoader.h"
#include "platform/RegistryStore.h"
#include "res/Resource.h"
#include "res/Resources.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
const QString kAppletDir = QStringLiteral(NUV_APPLET_DIR);
const QString kRecordingDir = QStringLiteral(NUV_TEST_APPLET_DIR "/recording");
const QString kNoEntryDir = QStringLiteral(NUV_TEST_APPLET_DIR "/noentry");
const QString kName = QString::fromLatin1(CAppletLoader::kInternetOptions);

const QString kMain = QStringLiteral("Software\\Microsoft\\Internet Explorer\\Main");
const QString kTyped = QStringLiteral("Software\\Microsoft\\Internet Explorer\\TypedURLs");
const QString kFont = QStringLiteral("Software\\Microsoft\\Internet Explorer\\International\\932");

class AppletLoaderTest : public ::testing::Test
{
protected:
    CTempHome home;
    QString m_strRecord = home.Path() + "/calls.txt";

    void SetUp() override { qputenv("NUV_APPLET_RECORD", QFile::encodeName(m_strRecord)); }
    void TearDown() override { qunsetenv("NUV_APPLET_RECORD"); }

    QStringList Calls() const
    {
        QFile f(m_strRecord);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
};

// The window handle as the stand-in prints it.
QString Handle(const void* p)
{
    char text[64];
    std::snprintf(text, sizeof text, "%p", p);
    return QString::fromLatin1(text);
}

TEST_F(AppletLoaderTest, ShowsAppletZeroWithTheControlPanelSequenceAndFreesTheLibrary)
{
    QWidget window;
    const QString h = Handle(&window);
    EXPECT_TRUE(CAppletLoader::Run(&window, kName, {kRecordingDir}));
    EXPECT_EQ(Calls(), (QStringList{"load", "1 0 0 " + h, "5 0 0 " + h, "6 0 0 " + h, "7 0 0 " + h,
                                    "unload"}));
}

TEST_F(AppletLoaderTest, LooksBesideTheProgramThenInTheInstalledLibraryFolder)
{
    const QString app = QCoreApplication::applicationDirPath();
    EXPECT_EQ(CAppletLoader::DefaultFolders(),
              (QStringList{app, QDir::cleanPath(app + "/../lib/nuvbrowser")}));
    const QString empty = home.Path();
    EXPECT_EQ(CAppletLoader::Find(kName, {empty, QString(), kNoEntryDir, kRecordingDir}),
              kNoEntryDir + "/" + kName);
    EXPECT_EQ(CAppletLoader::Find(kName, {empty}), QString());
}

TEST_F(AppletLoaderTest, DoesNothingWithoutALoadableLibraryOrEntryPoint)
{
    const QString damaged = home.Path() + "/damaged";
    QDir().mkpath(damaged);
    QFile f(damaged + "/" + kName);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library\n");
    f.close();
    const QString folderNamed = home.Path() + "/folder";
    QDir().mkpath(folderNamed + "/" + kName);

    QWidget window;
    for (const QString& folder : {home.Path() + "/missing", damaged, folderNamed}) {
        EXPECT_FALSE(CAppletLoader::Run(&window, kName, {folder})) << folder.toStdString();
        EXPECT_TRUE(Calls().isEmpty());
    }
    // Loaded, found without the entry point, freed again: never called.
    EXPECT_FALSE(CAppletLoader::Run(&window, kName, {kNoEntryDir}));
    EXPECT_EQ(Calls(), (QStringList{"load", "unload"}));
}

// --- the real applet ---

QByteArray FontSize(quint32 n)
{
    return QByteArray(reinterpret_cast<const char*>(&n), 4);
}

QString StoredString(const QString& key, const QString& name)
{
    RegValue v;
    return CRegistryStore().QueryValue(key, name, &v) && v.type == REG_SZ ? v.text : "-";
}

QStringList ListTexts(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

void ClickOk(QWidget* dialog)
{
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

class InternetOptionsAppletTest : public AppletLoaderTest
{
protected:
    void SetUp() override
    {
        AppletLoaderTest::SetUp();
        CRegistryStore().Update([](RegistryData& d) {
            d.CreateKey(kMain).values
                << RegValue::String("Start Page", "http://start.example/")
                << RegValue::String("Windows CE Page", "http://ce.example/")
                << RegValue::String("Search Page", "http://search.example/?q=");
            d.CreateKey(kTyped).values << RegValue::String("url1", "http://a/")
                                       << RegValue::String("url2", "http://b/")
                                       << RegValue::String("url3", "http://c/");
            d.CreateKey(kFont).values << RegValue::Binary("IEFontSize", FontSize(2));
        });
    }

    QByteArray RegistryBytes() const
    {
        QFile f(home.RegistryPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    bool RunApplet(QList<CModalDriver::Handler> handlers, QWidget* pWindow = nullptr)
    {
        const int nHandlers = int(handlers.size());
        CModalDriver driver(std::move(handlers));
        const bool bRan = CAppletLoader::Run(pWindow, kName, {kAppletDir});
        EXPECT_EQ(driver.Handled(), nHandlers) << "handlers left over";
        return bRan;
    }
};

TEST_F(InternetOptionsAppletTest, OkWritesTheChangedPagesAddressesAndTextSize)
{
    QWidget window;
    QString title;
    QWidget* parent = nullptr;
    ASSERT_TRUE(RunApplet(
        {[&](QWidget* w) {
            title = w->windowTitle();
            parent = w->parentWidget();
            auto* start = w->findChild<QLineEdit*>("startPage");
            auto* search = w->findChild<QLineEdit*>("searchPage");
            auto* list = w->findChild<QListWidget*>("typedAddresses");
            ASSERT_TRUE(start && search && list);
            EXPECT_EQ(start->text(), "http://start.example/");
            EXPECT_EQ(search->text(), "http://search.example/?q=");
            // Newest first, as the address bar lists them.
            EXPECT_EQ(ListTexts(list), (QStringList{"http://c/", "http://b/", "http://a/"}));
            EXPECT_TRUE(w->findChild<QRadioButton*>("textSize3")->isChecked());

            start->setText("  http://new.example/ ");
            search->clear(); // back to the browser's own search page
            list->item(1)->setSelected(true);
            w->findChild<QPushButton*>("removeAddress")->click();
            EXPECT_EQ(ListTexts(list), (QStringList{"http://c/", "http://a/"}));
            w->findChild<QRadioButton*>("textSize5")->click();
            ClickOk(w);
        }},
        &window));
    EXPECT_EQ(title, "Internet Options");
    EXPECT_EQ(parent, &window);

    EXPECT_EQ(StoredString(kMain, "Start Page"), "http://new.example/");
    EXPECT_EQ(StoredString(kMain, "Search Page"), "-");
    EXPECT_EQ(StoredString(kMain, "Windows CE Page"), "http://ce.example/");
    EXPECT_EQ(StoredString(kTyped, "url1"), "http://a/");
    EXPECT_EQ(StoredString(kTyped, "url2"), "-");
    EXPECT_EQ(StoredString(kTyped, "url3"), "http://c/");
    RegValue size;
    ASSERT_TRUE(CRegistryStore().QueryValue(kFont, "IEFontSize", &size));
    EXPECT_EQ(size.type, quint32(REG_BINARY));
    EXPECT_EQ(size.data, QByteArray::fromHex("04000000"));
}

TEST_F(InternetOptionsAppletTest, EditsTheHandheldPageAndNamesTextSizesAsTheViewMenuDoes)
{
    // The View menu's text size items, by level.
    int nCount = 0;
    const MENUITEMDEF* menu = FindMenuResource(IDR_MAINFRAME, &nCount);
    ASSERT_NE(menu, nullptr);
    QMap<int, QString> menuNames;
    const int ids[] = {ID_VIEW_TEXT_SMALLEST, ID_VIEW_TEXT_SMALLER, ID_VIEW_TEXT_MEDIUM,
                       ID_VIEW_TEXT_LARGE, ID_VIEW_TEXT_LARGEST};
    for (int i = 0; i < nCount; ++i)
        for (int level = 1; level <= 5; ++level)
            if (menu[i].nID == ids[level - 1])
                menuNames[level] = QString::fromUtf8(menu[i].pszText).remove('&');
    ASSERT_EQ(menuNames.size(), 5);

    for (const QString& page : {QString("http://handheld.example/"), QString()}) {
        ASSERT_TRUE(RunApplet({[&](QWidget* w) {
            for (int level = 1; level <= 5; ++level) {
                auto* button = w->findChild<QRadioButton*>(QString("textSize%1").arg(level));
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(button->text().remove('&'), menuNames[level]) << level;
            }
            auto* handheld = w->findChild<QLineEdit*>("handheldPage");
            ASSERT_NE(handheld, nullptr);
            EXPECT_NE(handheld->text(), page);
            handheld->setText(page);
            ClickOk(w);
        }}));
        EXPECT_EQ(StoredString(kMain, "Windows CE Page"), page.isEmpty() ? "-" : page);
        EXPECT_EQ(StoredString(kMain, "Start Page"), "http://start.example/");
    }
}

TEST_F(InternetOptionsAppletTest, CancelOrAnUntouchedOkLeavesTheRegistryAsItWas)
{
    const QByteArray before = RegistryBytes();
    auto edit = [](QWidget* w) {
        w->findChild<QLineEdit*>("startPage")->setText("http://other/");
        w->findChild<QPushButton*>("clearAddresses")->click();
        w->findChild<QRadioButton*>("textSize1")->click();
    };
    ASSERT_TRUE(RunApplet({[&](QWidget* w) {
        edit(w);
        qobject_cast<QDialog*>(w)->reject();
    }}));
    EXPECT_EQ(RegistryBytes(), before);
    ASSERT_TRUE(RunApplet({[&](QWidget* w) { ClickOk(w); }}));
    EXPECT_EQ(RegistryBytes(), before);
}

TEST_F(InternetOptionsAppletTest, ClearAllRemovesTheStoredAddressesButNotOnesChangedMeanwhile)
{
    ASSERT_TRUE(RunApplet({[&](QWidget* w) {
        auto* clear = w->findChild<QPushButton*>("clearAddresses");
        auto* remove = w->findChild<QPushButton*>("removeAddress");
        EXPECT_FALSE(remove->isEnabled()); // nothing selected yet
        clear->click();
        EXPECT_EQ(w->findChild<QListWidget*>("typedAddresses")->count(), 0);
        EXPECT_FALSE(clear->isEnabled());
        // The browser writes its list while the dialog is open.
        CRegistryStore().SetValue(kTyped, RegValue::String("url1", "http://typed-meanwhile/"));
        ClickOk(w);
    }}));
    EXPECT_EQ(StoredString(kTyped, "url1"), "http://typed-meanwhile/");
    EXPECT_EQ(StoredString(kTyped, "url2"), "-");
    EXPECT_EQ(StoredString(kTyped, "url3"), "-");
}

TEST_F(InternetOptionsAppletTest, AFailedSaveSaysSoAndKeepsTheDialogOpen)
{
    // The registry's folder is a plain file: nothing can be read or written.
    QDir(home.ConfigHome()).removeRecursively();
    QDir().mkpath(home.ConfigHome());
    QFile blocker(home.ConfigHome() + "/nuvBrowser");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    QString message;
    ASSERT_TRUE(RunApplet({
        [&](QWidget* w) {
            w->findChild<QLineEdit*>("startPage")->setText("http://new.example/");
            ClickOk(w);
        },
        [&](QWidget* box) {
            message = qobject_cast<QMessageBox*>(box) ? qobject_cast<QMessageBox*>(box)->text()
                                                      : QString();
            box->close();
        },
        [&](QWidget* w) {
            EXPECT_EQ(w->findChild<QLineEdit*>("startPage")->text(), "http://new.example/");
            qobject_cast<QDialog*>(w)->reject();
        },
    }));
    EXPECT_TRUE(message.startsWith("The settings could not be saved")) << message.toStdString();
}
} // namespace

TEST_F(InternetOptionsAppletTest, EveryControlOfTheDialogHasAName)
{
    ASSERT_TRUE(RunApplet({[&](QWidget* w) {
        const AccessibleControls found = FindAccessibleControls(w);
        EXPECT_TRUE(found.unnamed.isEmpty()) << found.unnamed.join(", ").toStdString();
        for (const char* name : {"Typed addresses", "http://c/", "OK", "Cancel"})
            EXPECT_TRUE(found.names.contains(name)) << name;
        ClickOk(w);
    }}));
}
