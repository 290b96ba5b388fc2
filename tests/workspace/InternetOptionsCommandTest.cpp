// The Internet Options command: the real applet shown for the form, then the settings and
// the address list taken again from the registry.
#include "ModalDriver.h"
#include "TempHome.h"

#include "platform/RegistryStore.h"
#include "workspace/InternetOptionsCommand.h"
#include "workspace/InternetSettings.h"

#include <QComboBox>
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
    settings.AddTypedAddress(&typed, &combo); // in memory only: the applet's list wins
    combo.lineEdit()->setText("being typed");

    CModalDriver driver({[this](QWidget* w) {
        EXPECT_EQ(w->parentWidget(), &form);
        auto* list = w->findChild<QListWidget*>("typedAddresses");
        list->item(list->count() - 1)->setSelected(true); // the oldest, url1
        w->findChild<QPushButton*>("removeAddress")->click();
        w->findChild<QRadioButton*>("textSize5")->click();
        w->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    }});
    EXPECT_TRUE(RunInternetOptions(&form, settings, &combo, {QStringLiteral(NUV_APPLET_DIR)}));
    EXPECT_EQ(driver.Handled(), 1);

    EXPECT_EQ(settings.m_strHomePage, "http://ce.example/");
    EXPECT_EQ(settings.m_strTypedUrls[0], "");
    EXPECT_EQ(settings.m_strTypedUrls[1], "http://b/");
    EXPECT_EQ(settings.m_strTypedUrls[9], "");
    EXPECT_EQ(settings.m_nTextSize, 5);
    EXPECT_EQ(ComboItems(), QStringList{"http://b/"});
    EXPECT_EQ(combo.lineEdit()->text(), "being typed");
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
