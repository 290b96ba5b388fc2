// SPDX-License-Identifier: GPL-3.0-or-later
// The read-only text pane of the source view.
#include "FakePaneHost.h"

#include "panes/BrowserControl.h"
#include "panes/TextPane.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <gtest/gtest.h>

namespace {

class TextPaneTest : public ::testing::Test
{
protected:
    void Select(int nStart, int nEnd)
    {
        QTextCursor cursor = m_pPane->Edit()->textCursor();
        cursor.setPosition(nStart);
        cursor.setPosition(nEnd, QTextCursor::KeepAnchor);
        m_pPane->Edit()->setTextCursor(cursor);
    }

    CFakePaneHost m_host;
    CTextPane* m_pPane = static_cast<CTextPane*>(m_host.AddPane(PANE_TEXT));
};

TEST_F(TextPaneTest, CopyNeedsTwoSelectedCharacters)
{
    m_pPane->SetText("<body>hello</body>");
    EXPECT_TRUE(m_pPane->Edit()->isReadOnly());
    Select(6, 7);
    EXPECT_FALSE(m_pPane->IsCommandEnabled(OLECMDID_COPY));
    Select(8, 6); // backwards
    EXPECT_TRUE(m_pPane->IsCommandEnabled(OLECMDID_COPY));
    EXPECT_FALSE(m_pPane->IsCommandEnabled(OLECMDID_CUT));
    EXPECT_FALSE(m_pPane->IsCommandEnabled(OLECMDID_PASTE));
    m_pPane->Copy();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "he");
}

TEST_F(TextPaneTest, OpensNoMenuOfItsOwn)
{
    m_pPane->SetText("<body>hello</body>");
    QPlainTextEdit* pEdit = m_pPane->Edit();
    pEdit->show();
    for (const auto reason : {QContextMenuEvent::Mouse, QContextMenuEvent::Keyboard}) {
        const QPoint pt(5, 5);
        QContextMenuEvent event(reason, pt, pEdit->viewport()->mapToGlobal(pt));
        QApplication::sendEvent(pEdit->viewport(), &event);
        QWidget* pPopup = QApplication::activePopupWidget();
        EXPECT_EQ(pPopup, nullptr) << "reason " << int(reason);
        if (pPopup)
            pPopup->close();
    }
}

TEST_F(TextPaneTest, SetTextShowsTheIdleImageOnlyWithATab)
{
    CTextPane loose;
    loose.Create(&m_host, m_host.DefaultRect(), nullptr, true, false);
    loose.Link(&m_host, &m_host.m_progress, nullptr);
    loose.SetText("abc");
    EXPECT_EQ(loose.Edit()->toPlainText(), "abc");
    EXPECT_TRUE(m_host.m_imageCalls.isEmpty());

    m_pPane->SetText("");
    EXPECT_EQ(m_host.m_tabs[0].nImage, CTextPane::kTextImage);
}

TEST_F(TextPaneTest, LeftEdgeMovesTheControlOnlyWhenItChanges)
{
    QWidget* pEdit = m_pPane->Window();
    EXPECT_EQ(pEdit, m_pPane->Edit());
    m_pPane->SetLeft(100);
    const PaneRect rc = m_pPane->PaneRectangle();
    EXPECT_EQ(rc.left, 105);
    EXPECT_EQ(pEdit->geometry(), QRect(105, rc.top, rc.right - 105, rc.Height()));
    pEdit->move(1, 1);
    m_pPane->SetLeft(100);
    EXPECT_EQ(pEdit->pos(), QPoint(1, 1));
    // The height changes the rectangle only.
    m_pPane->SetHeight(50);
    EXPECT_EQ(m_pPane->PaneRectangle().bottom, rc.top + 50);
    EXPECT_NE(pEdit->height(), 50);
}

TEST_F(TextPaneTest, PageOperationsAnswerAtOnce)
{
    PaneSaveInfo info;
    m_pPane->GetSaveInfo([&](const PaneSaveInfo& i) { info = i; });
    EXPECT_TRUE(info.bOk);
    EXPECT_EQ(info.type, ".TXT");
    EXPECT_EQ(info.address, "");
    int nAnswers = 0;
    m_pPane->SaveDocument("/tmp/x", [&](SaveResult r) { nAnswers += r == SaveResult::Failed; });
    m_pPane->GetSource([&](bool b, const QString&) { nAnswers += b ? 10 : 1; });
    m_pPane->InspectAt(QPoint(1, 1), [&](int n) { nAnswers += n ? 10 : 1; });
    EXPECT_EQ(nAnswers, 3);
    EXPECT_FALSE(m_pPane->Navigate("http://a/", false, true));
    EXPECT_EQ(m_pPane->UpdateTextSize(), 0);
    EXPECT_TRUE(m_pPane->GetRecentAddresses().isEmpty());
}

} // namespace
