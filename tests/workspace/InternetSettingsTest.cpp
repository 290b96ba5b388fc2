// SPDX-License-Identifier: GPL-3.0-or-later
#include "workspace/InternetSettings.h"
#include "TempHome.h"
#include "app/NuvBrowserApp.h"
#include "platform/RegKey.h"
#include "platform/RegistryStore.h"
#include "platform/SettingChangeNotifier.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {
const QString kMain = QString::fromLatin1(CInternetSettings::kMainKey);
const QString kTyped = QString::fromLatin1(CInternetSettings::kTypedUrlsKey);
const QString kFont = QString::fromLatin1(CInternetSettings::kFontKey);

class InternetSettingsTest : public ::testing::Test
{
protected:
    CTempHome home;
    CNuvBrowserApp app;
    CInternetSettings settings{&app};

    static void SetFontSize(quint32 value)
    {
        QByteArray bytes(4, '\0');
        qToLittleEndian(value, bytes.data());
        CRegistryStore().SetValue(kFont, RegValue::Binary("IEFontSize", bytes));
    }
    static void StoreTyped(const QStringList& urls)
    {
        CRegistryStore().Update([&](RegistryData& d) {
            RegKeyData& k = d.CreateKey(kTyped);
            for (int i = 0; i < urls.size(); ++i)
                k.values << RegValue::String(QStringLiteral("url%1").arg(i + 1), urls[i]);
        });
    }
    static QStringList StoredTyped()
    {
        QStringList out;
        CRegKey key;
        if (!key.Open(kTyped))
            return out;
        for (int i = 1; i <= 10; ++i) {
            QString s;
            out << (key.QueryString(QStringLiteral("url%1").arg(i), &s) ? s : QStringLiteral("-"));
        }
        return out;
    }
};

TEST_F(InternetSettingsTest, FirstStartCreatesThePlatformKeysWithoutTouchingExistingOnes)
{
    CRegistryStore().SetValue(kMain, RegValue::String("Windows CE Page", "http://mine/"));
    CInternetSettings::CreateDefaultKeys(4);
    CRegKey main;
    ASSERT_TRUE(main.Open(kMain));
    QString s;
    EXPECT_TRUE(main.QueryString("Windows CE Page", &s));
    EXPECT_EQ(s, "http://mine/");
    EXPECT_FALSE(main.QueryString("Search Page", &s)) << "an existing Main key is the user's";
    EXPECT_TRUE(CRegKey().Open(kTyped));
    settings.ReadInternetSettings();
    EXPECT_EQ(settings.m_strHomePage, "http://mine/");
    EXPECT_EQ(settings.m_nTextSize, 5);

    CTempHome fresh;
    CInternetSettings::CreateDefaultKeys(2);
    CRegKey created;
    ASSERT_TRUE(created.Open(kMain));
    for (const char* name : {"Start Page", "Windows CE Page", "Search Page"})
        EXPECT_TRUE(created.QueryString(name, &s)) << name;
    EXPECT_TRUE(created.QueryString("Display Inline Images", &s));
    EXPECT_EQ(s, "yes");
    EXPECT_TRUE(created.QueryString("Play_Background_Sounds", &s));
    EXPECT_EQ(s, "yes");
}

TEST_F(InternetSettingsTest, TextSizeComesFromTheFontKeyOrViewFont)
{
    CInternetSettings::CreateDefaultKeys(2);
    struct Case
    {
        quint32 stored;
        int expected;
    };
    for (const Case& c : {Case{0, 1}, Case{4, 5}, Case{7, 8}}) {
        SetFontSize(c.stored);
        settings.ReadInternetSettings();
        EXPECT_EQ(settings.m_nTextSize, c.expected) << c.stored;
    }
    // Eight bytes do not fit the four-byte number: ViewFont stands in.
    app.ViewFont = 0;
    CRegistryStore().SetValue(kFont, RegValue::Binary("IEFontSize", QByteArray(8, '\1')));
    settings.ReadInternetSettings();
    EXPECT_EQ(settings.m_nTextSize, 1);
}

TEST_F(InternetSettingsTest, MissingKeysEndTheReading)
{
    settings.m_nTextSize = 3;
    CRegistryStore().SetValue(kMain, RegValue::String("Windows CE Page", "http://home/"));
    SetFontSize(0);
    settings.ReadInternetSettings(); // no TypedURLs: the text size stays unread
    EXPECT_EQ(settings.m_strHomePage, "http://home/");
    EXPECT_EQ(settings.m_nTextSize, 3);

    CTempHome fresh;
    CRegistryStore().CreateKey(kMain);
    CRegistryStore().CreateKey(kTyped);
    app.ViewFont = 2;
    settings.ReadInternetSettings(); // no International\932: ViewFont + 1
    EXPECT_EQ(settings.m_nTextSize, 3);
    settings.m_nTextSize = 5;
    settings.WriteInternetSettings();
    EXPECT_EQ(app.ViewFont, 4);
    EXPECT_FALSE(CRegKey().Open(kFont)) << "the font key is opened, never created";
}

TEST_F(InternetSettingsTest, TypedAddressesMoveToTheNewestEnd)
{
    QComboBox combo;
    combo.setEditable(true);
    combo.lineEdit()->setText("being typed");
    const QStringList start = {"", "", "", "", "http://x/", "http://y/", "", "", "", "http://z/"};
    for (int i = 0; i < 10; ++i)
        settings.m_strTypedUrls[i] = start[i];

    const QString again = "http://x/";
    settings.AddTypedAddress(&again, &combo);
    EXPECT_EQ(settings.m_strTypedUrls[4], "http://y/");
    EXPECT_EQ(settings.m_strTypedUrls[8], "http://z/");
    EXPECT_EQ(settings.m_strTypedUrls[9], "http://x/");
    ASSERT_EQ(combo.count(), 3);
    EXPECT_EQ(combo.itemText(0), "http://x/") << "the newest address is listed first";
    EXPECT_EQ(combo.lineEdit()->text(), "being typed");

    const QString upper = "HTTP://X/";
    settings.AddTypedAddress(&upper, &combo);
    EXPECT_EQ(combo.count(), 4) << "addresses differing in case stay two entries";
    settings.AddTypedAddress(nullptr, &combo);
    EXPECT_EQ(combo.count(), 4);
    EXPECT_TRUE(settings.m_bTypedUrlsChanged);
}

TEST_F(InternetSettingsTest, WrittenListNeverBringsBackADroppedAddress)
{
    CInternetSettings::CreateDefaultKeys(2);
    StoreTyped({"http://a/", "http://b/", "http://c/"});
    settings.ReadInternetSettings();
    const QString d = "http://d/";
    settings.AddTypedAddress(&d, nullptr);
    settings.WriteInternetSettings();
    EXPECT_EQ(StoredTyped(), QStringList({"http://b/", "http://c/", "-", "-", "-", "-", "-", "-",
                                          "-", "http://d/"}));

    CInternetSettings next;
    next.ReadInternetSettings();
    EXPECT_EQ(next.m_strTypedUrls[2], QString());
    EXPECT_EQ(next.m_strTypedUrls[9], "http://d/");
}

TEST_F(InternetSettingsTest, UnchangedListIsNotWritten)
{
    CInternetSettings::CreateDefaultKeys(2);
    StoreTyped({"http://a/"});
    settings.ReadInternetSettings();
    CRegistryStore().SetValue(kTyped, RegValue::String("url1", "http://other/"));
    settings.WriteInternetSettings();
    EXPECT_EQ(StoredTyped().first(), "http://other/");
}

TEST_F(InternetSettingsTest, MainValueSwitchesWriteAndAnnounce)
{
    QSignalSpy spy(CSettingChangeNotifier::Instance(), &CSettingChangeNotifier::settingChanged);
    EXPECT_FALSE(CInternetSettings::WriteBrowserMainValue("Display Inline Images", "no"))
        << "the Main key is opened, never created";
    EXPECT_EQ(spy.count(), 0);
    CInternetSettings::CreateDefaultKeys(2);
    EXPECT_FALSE(CInternetSettings::WriteBrowserMainValue("Display Inline Images", ""));
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(CInternetSettings::WriteBrowserMainValue("Display Inline Images", "no"));
    EXPECT_EQ(spy.count(), 1);
    QString s;
    CRegKey main;
    ASSERT_TRUE(main.Open(kMain));
    EXPECT_TRUE(main.QueryString("Display Inline Images", &s));
    EXPECT_EQ(s, "no");
}
} // namespace
