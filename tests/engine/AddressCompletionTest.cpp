// SPDX-License-Identifier: GPL-3.0-or-later
// The address field completes from the history of visited pages: a page visited before is
// offered for a part of its title, and Down then Enter open it.
#include "EngineWorkspace.h"

#include "app/AddressCompleter.h"

#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {
class AddressCompletionTest : public EngineWorkspaceTest
{
protected:
    // The rows the workspace offers for a text (typed list, favorites, history).
    QList<CompletionRow> Offered(const QString& text)
    {
        auto rows = std::make_shared<std::optional<QList<CompletionRow>>>();
        m_pForm->QueryCompletions(text, [rows](const QList<CompletionRow>& r) { *rows = r; });
        EXPECT_TRUE(WaitFor([&] { return rows->has_value(); }));
        return rows->value_or(QList<CompletionRow>());
    }
};
} // namespace

TEST_F(AddressCompletionTest, VisitedPageIsOfferedByTitleAndOpened)
{
    m_server.SetHtml("/zebra.html", "<html><head><title>Striped Zebra Facts</title></head>"
                                    "<body>zebra</body></html>");
    m_server.SetHtml("/other.html", "<html><head><title>Other</title></head></html>");
    m_server.SetHtml("/kept.html", "<html><head><title>Kept</title></head></html>");
    Open();
    // Visited by a link, not typed: only the history knows it.
    m_pForm->NavigateActivePane(m_server.Url("/zebra.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/zebra.html"); }, 30000));
    m_pForm->NavigateActivePane(m_server.Url("/kept.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/kept.html"); }, 30000));
    m_pForm->NavigateActivePane(m_server.Url("/other.html"), false);
    ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), "/other.html"); }, 30000));

    CAddressCompleter* pCompleter = m_pFrame->GetAddressCompleter();
    ASSERT_NE(pCompleter, nullptr);
    QLineEdit* pEdit = m_pFrame->m_hAddressEdit;
    pEdit->setFocus();
    ASSERT_TRUE(WaitFor([&] { return pEdit->hasFocus(); }));
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "zebra f");
    ASSERT_TRUE(WaitFor([&] { return pCompleter->IsShown(); }));
    ASSERT_EQ(pCompleter->Rows().size(), 1);
    EXPECT_EQ(pCompleter->Rows()[0].title, "Striped Zebra Facts");
    EXPECT_EQ(pCompleter->Rows()[0].address, m_server.Url("/zebra.html"));
    // Showing the list changed nothing of what was typed.
    EXPECT_EQ(pEdit->text(), "zebra f");

    QTest::keyClick(pEdit, Qt::Key_Down);
    EXPECT_EQ(pCompleter->CurrentRow(), 0);
    EXPECT_EQ(pEdit->text(), "zebra f");
    QTest::keyClick(pEdit, Qt::Key_Return);
    EXPECT_FALSE(pCompleter->IsShown());
    EXPECT_TRUE(WaitFor([&] { return Shows(Pane(0), "/zebra.html"); }, 30000))
        << Pane(0)->GetAddress().toStdString();

    // Esc closes the list and leaves the typed text.
    pEdit->setFocus();
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "striped");
    ASSERT_TRUE(WaitFor([&] { return pCompleter->IsShown(); }));
    QTest::keyClick(pEdit, Qt::Key_Escape);
    EXPECT_FALSE(pCompleter->IsShown());
    EXPECT_EQ(pEdit->text(), "striped");

    // Shift+Delete on the chosen row removes the page from the history and, as it was opened
    // from the field, from the typed list: for good, also after the program starts again.
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "zebra");
    ASSERT_TRUE(WaitFor([&] { return pCompleter->IsShown(); }));
    ASSERT_EQ(pCompleter->Rows().size(), 1);
    QTest::keyClick(pEdit, Qt::Key_Down);
    QTest::keyClick(pEdit, Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_FALSE(pCompleter->IsShown());
    EXPECT_EQ(pEdit->text(), "zebra");
    EXPECT_TRUE(Offered("zebra").isEmpty());
    // The same through the window, as a key typed on the keyboard comes.
    pEdit->selectAll();
    QTest::keyClicks(pEdit, "other");
    ASSERT_TRUE(WaitFor([&] { return pCompleter->IsShown(); }));
    ASSERT_EQ(pCompleter->Rows().size(), 1);
    QTest::keyClick(m_pFrame->windowHandle(), Qt::Key_Down);
    QTest::keyClick(m_pFrame->windowHandle(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_FALSE(pCompleter->IsShown());
    EXPECT_EQ(pEdit->text(), "other");
    Close();
    Open();
    EXPECT_TRUE(Offered("zebra").isEmpty());
    EXPECT_TRUE(Offered("other").isEmpty());
    EXPECT_EQ(Offered("kept").size(), 1);
}
