// SPDX-License-Identifier: GPL-3.0-or-later
// The Internet Options command: the real applet shown for the form, then the settings and
// the address list taken again from the registry.
#include "ModalDriver.h"
#include "TempHome.h"

#include "platform/RegistryStore.h"
#include "workspace/InternetOptionsCommand.h"
#include "workspace/InternetSettings.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {
class InternetOptionsCommandTest : public ::testing::Test
{
protected:
    CTempHome home;
    QWidget form;
    QComboBox combo{&form};
    CInternetSettings settings;

    void SetUp() override
    {
        combo.setEditable(true);
        CRegistryStore().Update([](RegistryData& d) {
            d.CreateKey(QString::fromLatin1(CInternetSettings::kMainKey)).values
                << RegValue::String("Windows CE Page", "http://ce.example/");
            d.CreateKey(QString::fromLatin1(CInternetSettings::kTypedUrlsKey)).values
                << RegValue::String("url1", "http://a/") << RegValue::String("url2", "http://b/");
            d.CreateKey(QString::fromLatin1(CInternetSettings::kFontKey)).values
                << RegValue::Binary("IEFontSize", QByteArray::fromHex("01000000"));
        });
        settings.ReadInternetSettings();
        settings.FillAddressList(&combo);
    }

    QStringList ComboItems() const
    {
        QStringList out;
        for (int i = 0; i < combo.count(); ++i)
            out << combo.itemText(i);
        return out;
    }
};

TEST_F(InternetOptionsCommandTest, TakesWhatTheAppletChangedIntoTheSettingsAndTheAddressList)
{
    const QString typed = QStringLiteral("http://typed-since-start/");
    settings.AddTypedAddress(&typed, &combo); // in memory: url1 leaves, the new one is newest
    settings.m_nTextSize = 1;
    combo.lineEdit()->setText("being typed");

    CModalDriver driver({[&](QWidget* w) {
        EXPECT_EQ(w->parentWidget(), &form);
        auto* list = w->findChild<QListWidget*>("typedAddresses");
        // The session's list and size are what the applet shows.
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->item(0)->text(), typed);
        EXPECT_TRUE(w->findChild<QRadioButton*>("textSize1")->isChecked());
        list->item(list->count() - 1)->setSelected(true); // the oldest, url1
        w->findChild<QPushButton*>("removeAddress")->click();
        w->findChild<QRadioButton*>("textSize5")->click();
        w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }});
    EXPECT_TRUE(RunInternetOptions(&form, settings, &combo, {QStringLiteral(NUV_APPLET_DIR)}));
    EXPECT_EQ(driver.Handled(), 1);

    EXPECT_EQ(settings.m_strHomePage, "http://ce.example/");
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(settings.m_strTypedUrls[i], "") << "slot " << i;
    EXPECT_EQ(settings.m_strTypedUrls[9], typed);
    EXPECT_EQ(settings.m_nTextSize, 5);
    EXPECT_EQ(ComboItems(), QStringList{typed});
    EXPECT_EQ(combo.lineEdit()->text(), "being typed");

    // The removal holds when the workspace writes its list at the end.
    settings.WriteInternetSettings();
    CInternetSettings next;
    next.ReadInternetSettings();
    EXPECT_EQ(QStringList(std::begin(next.m_strTypedUrls), std::end(next.m_strTypedUrls)),
              QStringList(std::begin(settings.m_strTypedUrls), std::end(settings.m_strTypedUrls)));
    EXPECT_EQ(next.m_nTextSize, 5);
}

TEST_F(InternetOptionsCommandTest, CancelKeepsWhatTheSessionChanged)
{
    const QString typed = QStringLiteral("http://typed-since-start/");
    settings.AddTypedAddress(&typed, &combo);
    settings.m_nTextSize = 2;

    CModalDriver driver({[](QWidget* w) {
        w->findChild<QPushButton*>("clearAddresses")->click();
        w->findChild<QRadioButton*>("textSize5")->click();
        qobject_cast<QDialog*>(w)->reject();
    }});
    EXPECT_TRUE(RunInternetOptions(&form, settings, &combo, {QStringLiteral(NUV_APPLET_DIR)}));
    EXPECT_EQ(driver.Handled(), 1);
    EXPECT_EQ(settings.m_strTypedUrls[0], "http://b/");
    EXPECT_EQ(settings.m_strTypedUrls[9], typed);
    EXPECT_EQ(settings.m_nTextSize, 2);
    EXPECT_EQ(ComboItems(), (QStringList{typed, "http://b/"}));
}

TEST_F(InternetOptionsCommandTest, WithoutTheAppletNothingIsReadAgain)
{
    settings.m_strHomePage = "kept";
    settings.m_nTextSize = 4;
    EXPECT_FALSE(RunInternetOptions(&form, settings, &combo, {home.Path()}));
    EXPECT_EQ(settings.m_strHomePage, "kept");
    EXPECT_EQ(settings.m_nTextSize, 4);
    EXPECT_EQ(ComboItems(), (QStringList{"http://b/", "http://a/"}));
}
} // namespace
