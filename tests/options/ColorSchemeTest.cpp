// SPDX-License-Identifier: GPL-3.0-or-later
// The colour scheme: which one the registry value and the desktop's sources choose, how the
// desktop's answers are read, and what the widgets get.
#include "TempHome.h"

#include "options/AppSettings.h"
#include "options/ColorScheme.h"
#include "platform/RegistryStore.h"

#include <QApplication>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QPalette>
#include <QStyle>
#include <gtest/gtest.h>

namespace {
using H = SchemeHint;
constexpr ColorScheme L = ColorScheme::Light;
constexpr ColorScheme D = ColorScheme::Dark;

TEST(ColorSchemeTest, RegistryValueThenPortalThenGtkThenQtPalette)
{
    const struct
    {
        int nValue;
        H portal, gtk, qt;
        ColorScheme expected;
    } cases[] = {
        // 1 and 2 win over every desktop answer.
        {1, H::Dark, H::Dark, H::Dark, L},
        {2, H::Light, H::Light, H::Light, D},
        {2, H::Unknown, H::Unknown, H::Unknown, D},
        // 0 follows the portal where it answers...
        {0, H::Dark, H::Light, H::Light, D},
        {0, H::Light, H::Dark, H::Dark, L},
        // ... else GTK ...
        {0, H::Unknown, H::Dark, H::Light, D},
        {0, H::Unknown, H::Light, H::Dark, L},
        // ... else Qt's own palette, else light.
        {0, H::Unknown, H::Unknown, H::Dark, D},
        {0, H::Unknown, H::Unknown, H::Light, L},
        {0, H::Unknown, H::Unknown, H::Unknown, L},
        // A value the program never writes follows the desktop.
        {7, H::Dark, H::Unknown, H::Unknown, D},
        {-1, H::Unknown, H::Light, H::Dark, L},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "value " << c.nValue << " portal " << int(c.portal)
                                        << " gtk " << int(c.gtk) << " qt " << int(c.qt));
        EXPECT_EQ(NuvColorScheme::Choose(c.nValue, c.portal, c.gtk, c.qt), c.expected);
    }
}

TEST(ColorSchemeTest, PortalAnswersAreReadThroughTheirVariants)
{
    const auto wrap = [](const QVariant& v) { return QVariant::fromValue(QDBusVariant(v)); };
    const struct
    {
        const char* what;
        QVariant value;
        H expected;
    } cases[] = {
        {"prefer dark", QVariant(uint(1)), H::Dark},
        {"prefer light", QVariant(uint(2)), H::Light},
        {"no preference", QVariant(uint(0)), H::Unknown},
        {"Read's extra variant", wrap(QVariant(uint(1))), H::Dark},
        {"two variants", wrap(wrap(QVariant(uint(2)))), H::Light},
        {"a number out of range", QVariant(uint(9)), H::Unknown},
        {"a string", QVariant(QStringLiteral("1")), H::Unknown},
        {"nothing", QVariant(), H::Unknown},
        {"variants without end", wrap(wrap(wrap(wrap(wrap(QVariant(uint(1))))))), H::Unknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CDesktopScheme::HintFromPortalValue(c.value), c.expected);
    }
}

TEST(ColorSchemeTest, GtkThemeAndSettingsFile)
{
    const struct
    {
        const char* theme;
        H expected;
    } themes[] = {
        {"Adwaita:dark", H::Dark}, {"Adwaita-dark", H::Dark}, {"Adwaita", H::Light},
        {"", H::Unknown},          {"  ", H::Unknown},        {"Arc-Dark", H::Dark},
    };
    for (const auto& t : themes) {
        SCOPED_TRACE(t.theme);
        EXPECT_EQ(CDesktopScheme::HintFromGtkTheme(QString::fromUtf8(t.theme)), t.expected);
    }
    const struct
    {
        const char* ini;
        H expected;
    } files[] = {
        {"[Settings]\ngtk-application-prefer-dark-theme=1\n", H::Dark},
        {"[Settings]\ngtk-application-prefer-dark-theme = true\n", H::Dark},
        {"[Settings]\ngtk-application-prefer-dark-theme=0\n", H::Light},
        {"[Settings]\ngtk-theme-name=Adwaita-dark\n", H::Dark},
        {"[Settings]\ngtk-theme-name=Adwaita\ngtk-application-prefer-dark-theme=1\n", H::Dark},
        {"[Settings]\ngtk-font-name=Cantarell 11\n", H::Unknown},
        {"[Other]\ngtk-application-prefer-dark-theme=1\n", H::Unknown},
        {"", H::Unknown},
        {"\xff\xfe=\n[Settings\n==\n", H::Unknown},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.ini);
        EXPECT_EQ(CDesktopScheme::HintFromGtkSettings(QByteArray(f.ini)), f.expected);
    }
}

TEST(ColorSchemeTest, GtkHintReadsTheEnvironmentBeforeTheSettingsFile)
{
    CTempHome home;
    const QByteArray savedTheme = qgetenv("GTK_THEME");
    qunsetenv("GTK_THEME");
    CDesktopScheme desktop;
    EXPECT_EQ(desktop.GtkHint(), H::Unknown);
    ASSERT_TRUE(QDir().mkpath(home.ConfigHome() + "/gtk-3.0"));
    QFile ini(home.ConfigHome() + "/gtk-3.0/settings.ini");
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Settings]\ngtk-application-prefer-dark-theme=true\n");
    ini.close();
    EXPECT_EQ(desktop.GtkHint(), H::Dark);
    qputenv("GTK_THEME", "Adwaita");
    EXPECT_EQ(desktop.GtkHint(), H::Light);
    qputenv("GTK_THEME", savedTheme);
    if (savedTheme.isNull())
        qunsetenv("GTK_THEME");
}

bool IsDark(const QPalette& pal)
{
    return pal.color(QPalette::Window).lightness() < pal.color(QPalette::WindowText).lightness();
}

TEST(ColorSchemeTest, WidgetsGetTheDarkPaletteAndTheirOwnBack)
{
    const QPalette platform = QApplication::palette();
    const QString style = QApplication::style()->name();
    ASSERT_FALSE(IsDark(platform)) << "the test platform's palette is light";
    NuvColorScheme::ApplyToWidgets(D);
    EXPECT_TRUE(IsDark(QApplication::palette()));
    EXPECT_EQ(QApplication::style()->name().toLower(), "fusion");
    // Every pair of text and background that widgets paint stays readable.
    const QPalette dark = QApplication::palette();
    const struct
    {
        QPalette::ColorRole fg, bg;
    } pairs[] = {{QPalette::WindowText, QPalette::Window},
                 {QPalette::Text, QPalette::Base},
                 {QPalette::ButtonText, QPalette::Button},
                 {QPalette::HighlightedText, QPalette::Highlight},
                 {QPalette::ToolTipText, QPalette::ToolTipBase},
                 {QPalette::Link, QPalette::Base}};
    for (const auto& p : pairs) {
        SCOPED_TRACE(int(p.fg));
        EXPECT_GE(dark.color(p.fg).lightness() - dark.color(p.bg).lightness(), 100);
    }
    NuvColorScheme::ApplyToWidgets(L);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), platform.color(QPalette::Window));
    EXPECT_EQ(QApplication::style()->name(), style);
}

TEST(ColorSchemeTest, EngineIsToldOnlyTheDarkSchemeOnce)
{
    const QByteArray saved = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    NuvColorScheme::ApplyToEngine(L);
    EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"), "--disable-gpu");
    NuvColorScheme::ApplyToEngine(D);
    NuvColorScheme::ApplyToEngine(D);
    EXPECT_EQ(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"),
              "--disable-gpu " + NuvColorScheme::EngineFlags(D));
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", saved);
}

TEST(ColorSchemeTest, DesktopValuesAreWrittenOnceStoredOrChanged)
{
    CTempHome home;
    const QString key = QString::fromLatin1(CAppSettings::kOptionsKey);
    const auto stored = [&](const char* name) {
        RegValue v;
        return CRegistryStore().QueryValue(key, QString::fromLatin1(name), &v) ? int(v.dword) : -1;
    };
    CAppSettings first;
    first.ReadSettings();
    EXPECT_EQ(first.ViewColorScheme, 0);
    EXPECT_EQ(first.SpellCheck, 1);
    first.WriteSettings();
    EXPECT_EQ(stored("ViewColorScheme"), -1) << "a default is not written";
    EXPECT_EQ(stored("SpellCheck"), -1);
    first.ViewColorScheme = 2;
    first.SpellCheck = 0;
    first.WriteSettings();
    EXPECT_EQ(stored("ViewColorScheme"), 2);
    EXPECT_EQ(stored("SpellCheck"), 0);

    CAppSettings second;
    second.ReadSettings();
    EXPECT_EQ(second.ViewColorScheme, 2);
    EXPECT_EQ(second.SpellCheck, 0);
    // Back to the defaults: a stored value is written, not left behind.
    second.ViewColorScheme = 0;
    second.SpellCheck = 1;
    second.WriteSettings();
    EXPECT_EQ(stored("ViewColorScheme"), 0);
    EXPECT_EQ(stored("SpellCheck"), 1);
}
} // namespace
