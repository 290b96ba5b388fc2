// SPDX-License-Identifier: GPL-3.0-or-later
// Words typed into the address field go to the search page; addresses load as they are.
#include "EngineWorkspace.h"

#include "platform/RegistryStore.h"
#include "workspace/InternetSettings.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

class AddressSearchTest : public EngineWorkspaceTest
{
protected:
    void SetSearchPage(const QString& address)
    {
        ASSERT_TRUE(CRegistryStore().SetValue(QString::fromLatin1(CInternetSettings::kMainKey),
                                              RegValue::String("Search Page", address)));
    }
    // Typed into the address field and entered, as the user does it.
    void Type(const QString& text)
    {
        QLineEdit* pEdit = m_pFrame->m_hAddressEdit;
        pEdit->setFocus();
        ASSERT_TRUE(WaitFor([&] { return pEdit->hasFocus(); }));
        pEdit->selectAll();
        QTest::keyClicks(pEdit, text);
        QTest::keyClick(pEdit, Qt::Key_Return);
    }
};

TEST_F(AddressSearchTest, TypedWordsReachTheSearchPageWithTheQuery)
{
    m_server.SetHtml("/find", "<html><head><title>Found</title></head></html>");
    m_server.SetHtml("/results", "<html><head><title>Results</title></head></html>");
    m_server.SetHtml("/words.html", "<html><head><title>Words</title></head></html>");
    const struct
    {
        QString searchPage;
        QString typed;
        QString request; // what the server is asked for
    } cases[] = {
        {m_server.Url("/find?q=%s&lang=en"), "two words", "/find?q=two%20words&lang=en"},
        {m_server.Url("/results"), "nuvbrowser", "/results?q=nuvbrowser"},
        // An address with a dot is loaded, not searched.
        {m_server.Url("/results"), m_server.Url("/words.html").mid(7), "/words.html"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        SetSearchPage(c.searchPage);
        Open();
        Type(c.typed);
        // The pane shows the address as the engine displays it ("q=two words").
        const QUrl expected(m_server.Url(c.request));
        EXPECT_TRUE(WaitFor([&] { return QUrl(Pane(0)->GetAddress()) == expected; }, 30000))
            << Pane(0)->GetAddress().toStdString() << " / "
            << m_server.Requests().join(", ").toStdString();
        EXPECT_EQ(Requests(c.request), 1);
        // The typed-address list keeps what loaded, not the words.
        QComboBox* pList = m_pFrame->m_hAddressCombo;
        EXPECT_TRUE(WaitFor([&] { return pList->count() > 0; }));
        EXPECT_EQ(QUrl(pList->itemText(0)), expected) << pList->itemText(0).toStdString();
        EXPECT_EQ(pList->findText(c.typed), -1);
        Close();
    }
}

} // namespace
