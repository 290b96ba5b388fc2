// SPDX-License-Identifier: GPL-3.0-or-later
// The address field completes from the history of visited pages: a page visited before is
// offered for a part of its title, and Down then Enter open it.
#include "EngineWorkspace.h"

#include "ModalDriver.h"

#include "app/AddressCompleter.h"
#include "history/HistoryStore.h"
#include "platform/ProfileDatabase.h"
#include "res/Resource.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QRandomGenerator>

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
    void Visit(const QString& path)
    {
        m_pForm->NavigateActivePane(m_server.Url(path), false);
        ASSERT_TRUE(WaitFor([&] { return Shows(Pane(0), path); }, 30000));
    }
    // Waits until the history has done all it was asked.
    void FlushHistory()
    {
        bool bDone = false;
        m_pForm->History()->Flush([&] { bDone = true; });
        ASSERT_TRUE(WaitFor([&] { return bDone; }));
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

TEST_F(AddressCompletionTest, ClearHistoryAsksOnceAndOnlyYesEmptiesIt)
{
    m_server.SetHtml("/a.html", "<html><head><title>Apple Pages</title></head></html>");
    Open();
    ASSERT_NO_FATAL_FAILURE(Visit("/a.html"));
    FlushHistory();
    const struct
    {
        const char* name;
        QMessageBox::StandardButton answer;
        int nLeft;
    } cases[] = {{"No keeps it", QMessageBox::No, 1}, {"Yes empties it", QMessageBox::Yes, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int nQuestions = 0;
        CModalDriver driver({[&](QWidget* w) {
            auto* pBox = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(pBox, nullptr);
            // The command given again while the question is open asks nothing more.
            m_pFrame->SendCommand(ID_HISTORY_CLEAR);
            nQuestions = int(m_pFrame->findChildren<QMessageBox*>().size());
            pBox->button(c.answer)->click();
        }});
        ASSERT_TRUE(m_pFrame->SendCommand(ID_HISTORY_CLEAR));
        ASSERT_TRUE(WaitFor([&] { return driver.Handled() == 1; }));
        EXPECT_EQ(nQuestions, 1);
        FlushHistory();
        EXPECT_EQ(Offered("apple").size(), c.nLeft);
    }
}

TEST_F(AddressCompletionTest, DamagedHistoryFileIsPutAsideAndSaidOnce)
{
    const QString path = CProfileDatabase::DefaultPath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QByteArray noise(64 * 1024, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(noise.data()), noise.size() / 4);
    file.write(noise);
    file.close();

    m_server.SetHtml("/a.html", "<html><head><title>Apple Pages</title></head></html>");
    m_server.SetHtml("/b.html", "<html><head><title>Banana Pages</title></head></html>");
    Open();
    // The file is put aside at start-up (the downloads list opens it first).
    ASSERT_TRUE(WaitFor([&] { return QFileInfo::exists(path + ".bad"); }));
    // Browsing goes on and the new file keeps the pages; the message is said only once.
    QStringList saidAgain;
    QObject::connect(m_pForm->History(), &CHistoryStore::problem, m_pForm,
                     [&](const QString& text) { saidAgain << text; });
    ASSERT_NO_FATAL_FAILURE(Visit("/a.html"));
    ASSERT_NO_FATAL_FAILURE(Visit("/b.html"));
    FlushHistory();
    // The first report may come before or after the connection above, never a second one.
    EXPECT_LE(saidAgain.size(), 1);
    EXPECT_EQ(Offered("pages").size(), 2);
    // The history said it at its first use; the pages' own status texts left it there.
    EXPECT_TRUE(WaitFor([&] { return m_pFrame->GetStatusText().contains("damaged"); }))
        << m_pFrame->GetStatusText().toStdString();
}
