// SPDX-License-Identifier: GPL-3.0-or-later
// Spelling: which dictionaries the locale chooses, where they are found, and the user's words.
#include "TempHome.h"

#include "platform/SpellCheck.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
TEST(SpellCheckTest, LocaleChoosesItsDictionaryElseEnglish)
{
    const QStringList debian = {"de_AT", "de_DE", "en_GB", "en_US", "fr_FR"};
    const struct
    {
        const char* locale;
        QStringList available;
        QStringList expected;
    } cases[] = {
        {"de_DE.UTF-8", debian, {"de_DE"}},
        {"de_CH.UTF-8", debian, {"de_AT"}}, // another country of the language
        {"en_GB.UTF-8", debian, {"en_GB"}},
        {"en_AU.UTF-8", debian, {"en_GB"}},
        {"fr_FR@euro", debian, {"fr_FR"}},
        {"pt_BR.UTF-8", debian, {"en_US"}}, // no dictionary of the language: English
        {"C", debian, {"en_US"}},
        {"POSIX", debian, {"en_US"}},
        {"C.UTF-8", debian, {"en_US"}},
        {"", debian, {"en_US"}},
        {"pt_BR.UTF-8", {"en_GB", "fr_FR"}, {"en_GB"}}, // some English
        {"pt_BR.UTF-8", {"fr_FR"}, {}},                 // nothing fits: no check
        {"de_DE.UTF-8", {}, {}},
        {"../../etc/passwd", debian, {"en_US"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(ChooseSpellLanguages(QString::fromUtf8(c.locale), c.available), c.expected);
    }
}

TEST(SpellCheckTest, LocaleIsLcAllElseLang)
{
    const QByteArray savedAll = qgetenv("LC_ALL");
    const QByteArray savedLang = qgetenv("LANG");
    qputenv("LANG", "de_DE.UTF-8");
    qunsetenv("LC_ALL");
    EXPECT_EQ(SpellLocale(), "de_DE.UTF-8");
    qputenv("LC_ALL", "fr_FR.UTF-8");
    EXPECT_EQ(SpellLocale(), "fr_FR.UTF-8");
    qputenv("LC_ALL", savedAll);
    qputenv("LANG", savedLang);
    if (savedAll.isNull())
        qunsetenv("LC_ALL");
}

TEST(SpellCheckTest, DictionariesAreTheBdicFilesOfTheFolder)
{
    QTemporaryDir dir;
    for (const char* name : {"en_US.bdic", "de_DE.bdic", "notes.txt", "fr_FR.dic"}) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(dir.path()).mkdir("it_IT.bdic")); // a folder is no dictionary
    EXPECT_EQ(SpellDictionaryLanguages(dir.path()), QStringList({"de_DE", "en_US"}));
    EXPECT_EQ(SpellDictionaryLanguages(QString()), QStringList());
    EXPECT_EQ(SpellDictionaryLanguages(dir.filePath("missing")), QStringList());

    const QByteArray saved = qgetenv("QTWEBENGINE_DICTIONARIES_PATH");
    qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(dir.path()));
    EXPECT_EQ(SpellDictionaryFolder(), dir.path());
    qputenv("QTWEBENGINE_DICTIONARIES_PATH", saved);
}

TEST(SpellCheckTest, UserWordsAreKeptOnceAndOnlyWords)
{
    CTempHome home;
    const QString folder = home.DataHome() + "/nuvBrowser/WebEngine";
    const struct
    {
        const char* word;
        bool bTaken;
    } cases[] = {
        {"nuvBrowser", true}, {"Grüße", true},     {"don't", true},
        {"nuvBrowser", true}, {"", false},         {"two words", false},
        {"a\nb", false},      {"<script>", false}, {"x-ray", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word);
        EXPECT_EQ(AddSpellWord(folder, QString::fromUtf8(c.word)), c.bTaken);
    }
    EXPECT_FALSE(AddSpellWord(folder, QString(100, QLatin1Char('a'))));
    EXPECT_FALSE(AddSpellWord(QString(), "word"));
    QFile file(folder + "/Custom Dictionary.txt");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), "nuvBrowser\nGrüße\ndon't\nx-ray\n");
}

TEST(SpellCheckTest, StateTellsOfChangesOnly)
{
    CSpellState* state = CSpellState::Instance();
    QSignalSpy spy(state, &CSpellState::enabledChanged);
    const bool before = state->IsEnabled();
    state->SetEnabled(before);
    EXPECT_EQ(spy.count(), 0);
    state->SetEnabled(!before);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toBool(), !before);
    state->SetEnabled(before);
}
} // namespace
