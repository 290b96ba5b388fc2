// SPDX-License-Identifier: GPL-3.0-or-later
// Spelling on the real engine with the dictionaries the build converted: a misspelled word in
// a text area gets the spell checker's suggestions at the top of the page menu, and one of
// them replaces the word.
#include "EngineWorkspace.h"
#include "MenuText.h"

#include "panes/webengine/WebEngineProfile.h"
#include "platform/SpellCheck.h"
#include "workspace/ContextCommands.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QWebEngineProfile>

namespace {

class SpellingEngineTest : public EngineWorkspaceTest
{
protected:
    void SetUp() override
    {
        const QString dictionaries = QStringLiteral(NUV_BINARY_DIR "/qtwebengine_dictionaries");
        if (SpellDictionaryLanguages(dictionaries).isEmpty())
            GTEST_SKIP() << "no dictionary was built (hunspell-en-us missing)";
        qputenv("QTWEBENGINE_DICTIONARIES_PATH", QFile::encodeName(dictionaries));
        qputenv("LC_ALL", "en_US.UTF-8");
        EngineTest::SetUp();
        for (const QString& word : m_userWords)
            ASSERT_TRUE(AddSpellWord(m_home.DataHome() + "/nuvBrowser/WebEngine", word));
        m_server.SetHtml("/form.html",
                         "<html><head><title>Form</title></head><body style='margin:0'>"
                         "<textarea id='t' spellcheck='true' style='position:absolute;left:10px;"
                         "top:10px;width:400px;height:60px;font:20px monospace;padding:0;"
                         "border:0'>wrod is here</textarea></body></html>");
        Open();
        if (HasFatalFailure())
            return;
        m_pForm->NavigateActivePane(m_server.Url("/form.html"), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/form.html"); }));
        Pane(0)->Window()->setFocus();
    }
    // Words of the user's list before the engine starts.
    QStringList m_userWords;

    QWidget* PageWidget() const
    {
        QWidget* pView = Pane(0) ? Pane(0)->Window() : nullptr;
        return pView ? pView->focusProxy() : nullptr;
    }
    QMenu* Menu() const { return m_pForm->ContextCommands()->ActiveMenu(); }
    void CloseMenu()
    {
        if (Menu())
            Menu()->close();
        WaitFor([this] { return Menu() == nullptr; });
    }
    // Right clicks on the first word until the menu offers spelling items (the checker marks
    // the field's words a moment after it got the focus); false when it never does.
    bool SpellingOffered()
    {
        Evaluate(Pane(0), "document.getElementById('t').focus()");
        for (int nTry = 0; nTry < 20; ++nTry) {
            QTest::mousePress(PageWidget(), Qt::RightButton, {}, kWord);
            QTest::mouseRelease(PageWidget(), Qt::RightButton, {}, kWord);
            if (!WaitFor([this] { return Menu() && Menu()->isVisible(); }))
                return false;
            if (FindMenuItem(Menu(), "Add to Dictionar&y") != nullptr)
                return true;
            CloseMenu();
            QTest::qWait(300);
        }
        return false;
    }
    static constexpr QPoint kWord{22, 20};
};

class SpellingUserWordsTest : public SpellingEngineTest
{
protected:
    SpellingUserWordsTest() { m_userWords = {"wrod"}; }
};

TEST_F(SpellingUserWordsTest, WordsOfTheUserListAreNotMarkedAfterAStart)
{
    EXPECT_FALSE(SpellingOffered()) << DescribeMenu(Menu());
}

TEST_F(SpellingEngineTest, MisspelledWordInATextAreaGetsSuggestionsThatReplaceIt)
{
    ASSERT_TRUE(NuvWebEngineProfile()->isSpellCheckEnabled());
    EXPECT_EQ(NuvWebEngineProfile()->spellCheckLanguages(), QStringList({"en_US"}));
    ASSERT_NE(PageWidget(), nullptr);
    ASSERT_TRUE(SpellingOffered()) << "no spelling items in: " << DescribeMenu(Menu());
    EXPECT_EQ(Pane(0)->GetMisspelledWord(), "wrod");
    const QStringList suggestions = Pane(0)->GetSpellingSuggestions();
    ASSERT_TRUE(suggestions.contains("word")) << suggestions.join(", ").toStdString();
    // The suggestions (five at most) come first, then the item to add the word.
    const QList<QAction*> actions = Menu()->actions();
    const int nShown = int(qMin<qsizetype>(suggestions.size(), CContextCommands::kMaxSuggestions));
    ASSERT_GT(actions.size(), nShown + 1);
    for (int i = 0; i < nShown; ++i)
        EXPECT_EQ(actions[i]->text(), suggestions[i]);
    EXPECT_EQ(actions[nShown]->text(), "Add to Dictionar&y");
    EXPECT_TRUE(actions[nShown + 1]->isSeparator());

    QAction* pWord = FindMenuItem(Menu(), "word");
    ASSERT_NE(pWord, nullptr);
    Menu()->setActiveAction(pWord);
    QTest::keyClick(Menu(), Qt::Key_Return);
    EXPECT_TRUE(WaitFor([&] {
        return Evaluate(Pane(0), "document.getElementById('t').value") == "word is here";
    })) << Evaluate(Pane(0), "document.getElementById('t').value").toStdString();

    // The setting turns the check off and on again at once.
    CSpellState::Instance()->SetEnabled(false);
    EXPECT_FALSE(NuvWebEngineProfile()->isSpellCheckEnabled());
    CSpellState::Instance()->SetEnabled(true);
    EXPECT_TRUE(NuvWebEngineProfile()->isSpellCheckEnabled());
}

} // namespace
