// SPDX-License-Identifier: GPL-3.0-or-later
#include "ModalDriver.h"
#include "TempHome.h"
#include "app/CommandLineOptions.h"
#include "app/NuvBrowserApp.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "res/Resource.h"
#include "res/Resources.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
const QString kOptions = QString::fromLatin1(CNuvBrowserApp::kOptionsKey);

QStringList StoredNames()
{
    QStringList names;
    const RegistryData data = CRegistryStore().Read();
    if (const RegKeyData* k = data.FindKey(kOptions))
        for (const RegValue& v : k->values)
            names << v.name;
    return names;
}

// A shortcut file to http://example.org/a.
void WriteShortcut(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[InternetShortcut]\r\nURL=http://example.org/a\r\n");
}

TEST(CommandLine, ArgumentsBecomeOneLineAndUTakesTheNextArgumentWhole)
{
    struct Case
    {
        QStringList args;
        QString line;
    };
    const Case cases[] = {
        {{}, ""},
        {{"http://a/"}, "http://a/"},
        {{"two", "words"}, "two words"},
        {{"-u", "/p/with blank.url"}, "-u/p/with blank.url"},
        {{"-u/p/x.url"}, "-u/p/x.url"},
        {{"-U", "x"}, "-U x"},
        {{"-u"}, "-u"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCommandLineOptions::CommandLineFromArgs(c.args), c.line)
            << c.args.join('|').toStdString();
}

TEST(CommandLine, AfterTheEndOfTheOptionsEveryArgumentIsTheAddress)
{
    CTempHome home;
    const QString path = home.Path() + "/x.url";
    ASSERT_NO_FATAL_FAILURE(WriteShortcut(path));
    struct Case
    {
        QStringList args;
        QString address;
    };
    const Case cases[] = {
        {{"--", "--version"}, "--version"},
        {{"--", "-u", path}, "-u " + path},
        {{"--", "-u" + path}, "-u" + path},
        {{"--", "a", "--", "b"}, "a -- b"},
        {{"--"}, ""},
        {{"http://a/", "--", "-x"}, "http://a/ -x"},
        {{"-u", path}, "http://example.org/a"},
        {{"-u", "--", "x"}, ""}, // the shortcut file "-- x", which is not there
        {{"two", "words"}, "two words"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCommandLineOptions::StartAddressFromArgs(c.args), c.address)
            << c.args.join('|').toStdString();
}

TEST(CommandLine, LeadingLowerCaseUNamesAShortcutFile)
{
    CTempHome home;
    const QString path = home.Path() + "/x y.url";
    ASSERT_NO_FATAL_FAILURE(WriteShortcut(path));

    EXPECT_EQ(CCommandLineOptions::StartAddressFromCommandLine("-u" + path),
              "http://example.org/a");
    EXPECT_EQ(CCommandLineOptions::StartAddressFromCommandLine("-U" + path), "-U" + path)
        << "an upper-case U is an address";
    EXPECT_EQ(CCommandLineOptions::StartAddressFromCommandLine("-u " + path), "")
        << "the blank belongs to the path";
    EXPECT_EQ(CCommandLineOptions::StartAddressFromCommandLine("-u" + home.Path() + "/missing.url"),
              "");
}

class SettingsTest : public ::testing::Test
{
protected:
    CTempHome home;
    CNuvBrowserApp app;
};

TEST_F(SettingsTest, DefaultsApplyAndAllThirteenAreWrittenInOrder)
{
    app.ViewMenu = 42;
    app.ReadSettings();
    const int expected[] = {1, 1, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 1};
    const int actual[] = {app.ViewMenu,           app.ViewFavorite,      app.ViewStatus,
                          app.ViewFont,           app.ViewNewActive,     app.ViewSortFavorite,
                          app.ViewSingleFavorite, app.ViewTabWidthFixed, app.ViewFavoriteWidth,
                          app.ViewNewWindow,      app.RunLastClose,      app.RunExitConfirm,
                          app.CheckGoogle};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(actual[i], expected[i]) << i;

    app.WriteSettings();
    EXPECT_EQ(StoredNames(), QStringList({"ViewFavorite", "ViewMenu", "ViewStatus", "ViewFont",
                                          "ViewNewActive", "ViewSortFavorite", "ViewSingleFavorite",
                                          "ViewTabWidthFixed", "ViewFavoriteWidth", "ViewNewWindow",
                                          "RunLastClose", "RunExitConfirm", "CheckGoogle"}));
}

TEST_F(SettingsTest, StoredValuesAreTakenAsTheyStandAndOtherValuesSurvive)
{
    CRegistryStore().Update([](RegistryData& d) {
        RegKeyData& k = d.CreateKey(kOptions);
        k.values << RegValue::Dword("ViewStatus", 1) << RegValue::Dword("ViewFont", 0xffffffff)
                 << RegValue::Dword("ViewFavoriteWidth", 99999)
                 << RegValue::String("ViewMenu", "0") // not a number value: default
                 << RegValue::Binary("KeyAccelTable", QByteArray(8, '\x0b'));
    });
    app.ReadSettings();
    EXPECT_EQ(app.ViewStatus, 1);
    EXPECT_EQ(app.ViewFont, -1);
    EXPECT_EQ(app.ViewFavoriteWidth, 99999);
    EXPECT_EQ(app.ViewMenu, 1);

    app.RunLastClose = 1;
    app.WriteSettings();
    CRegKey key;
    ASSERT_TRUE(key.Open(kOptions));
    quint32 v = 0;
    EXPECT_TRUE(key.QueryDword("RunLastClose", &v));
    EXPECT_EQ(v, 1u);
    EXPECT_TRUE(key.QueryDword("ViewMenu", &v)) << "the damaged value is replaced by a number";
    EXPECT_EQ(v, 1u);
    EXPECT_TRUE(key.QueryBinary("KeyAccelTable", nullptr));
}

TEST_F(SettingsTest, SleepDelaysAreWrittenOnceStoredOrChanged)
{
    app.ReadSettings();
    EXPECT_EQ(app.RunFreezeHidden, 300);
    EXPECT_EQ(app.RunDiscardHidden, 1800);
    app.WriteSettings();
    EXPECT_FALSE(StoredNames().contains("RunFreezeHidden"));
    EXPECT_FALSE(StoredNames().contains("RunDiscardHidden"));

    app.RunDiscardHidden = 0;
    app.WriteSettings();
    CRegKey key;
    ASSERT_TRUE(key.Open(kOptions));
    quint32 v = 1;
    EXPECT_TRUE(key.QueryDword("RunDiscardHidden", &v));
    EXPECT_EQ(v, 0u);
    EXPECT_FALSE(StoredNames().contains("RunFreezeHidden"));

    CRegistryStore().Update([](RegistryData& d) {
        d.CreateKey(kOptions).Find("RunDiscardHidden")->dword = 1800;
        d.CreateKey(kOptions).values << RegValue::String("RunFreezeHidden", "60");
    });
    CNuvBrowserApp again;
    again.ReadSettings();
    EXPECT_EQ(again.RunDiscardHidden, 1800);
    EXPECT_EQ(again.RunFreezeHidden, 300) << "not a number value: the default";
    again.WriteSettings();
    EXPECT_TRUE(StoredNames().contains("RunDiscardHidden")) << "stored, so kept";
}

TEST_F(SettingsTest, NothingIsWrittenBeforeTheSettingsWereRead)
{
    app.WriteSettings();
    EXPECT_FALSE(QFile::exists(home.RegistryPath()));
}

// Runs the Exit command, answers its question with `button` (or sees none), and tells
// whether the program was told to end.
bool ExitEndsTheLoop(CNuvBrowserApp& app, QMessageBox::StandardButton button, bool* pAsked)
{
    *pAsked = false;
    bool ended = false;
    QObject::connect(
        &app, &CNuvBrowserApp::exitRequested, &app, [&] { ended = true; },
        Qt::SingleShotConnection);
    QTimer answer;
    answer.setInterval(20);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            *pAsked = box->text() == "Are you exit?" && box->icon() == QMessageBox::Question;
            box->button(button)->click();
        }
    });
    answer.start();
    app.OnAppExit();
    QObject::disconnect(&app, &CNuvBrowserApp::exitRequested, &app, nullptr);
    return ended;
}

TEST_F(SettingsTest, ExitAsksOnlyWhenConfirmationIsOn)
{
    bool asked = false;
    app.RunExitConfirm = 1;
    EXPECT_FALSE(ExitEndsTheLoop(app, QMessageBox::No, &asked));
    EXPECT_TRUE(asked);
    EXPECT_TRUE(ExitEndsTheLoop(app, QMessageBox::Yes, &asked));
    EXPECT_TRUE(asked);
    app.RunExitConfirm = 0;
    EXPECT_TRUE(ExitEndsTheLoop(app, QMessageBox::Yes, &asked));
    EXPECT_FALSE(asked);
}

TEST_F(SettingsTest, ExitQuestionIsTheStringTablesWithYesAsDefault)
{
    app.RunExitConfirm = 1;
    bool ended = false;
    QObject::connect(&app, &CNuvBrowserApp::exitRequested, &app, [&] { ended = true; });
    CModalDriver driver({[](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), LoadString(IDS_EXIT_CONFIRM));
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        // Enter answers with the default button.
        QTest::keyClick(box, Qt::Key_Return);
    }});
    app.OnAppExit();
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_TRUE(ended) << "Enter answered Yes";
}
} // namespace
