// SPDX-License-Identifier: GPL-3.0-or-later
// Typed text: an address to load, or words for the search page.
#include "panes/AddressInput.h"

#include <gtest/gtest.h>

namespace {

TEST(AddressInputTest, WordsAreSearchedAndAddressesAreNot)
{
    const struct
    {
        const char* text;
        bool bSearch;
    } cases[] = {
        {"nuvbrowser", true},
        {"two words", true},
        {"  padded  ", true},
        {"python.org tutorial", true},
        {"note: milk", true},
        {"localhost", false},
        {"LocalHost", false},
        {"example.com", false},
        {"127.0.0.1", false},
        {"localhost:8080", false},
        {"intranet/wiki", false},
        {"http://example.com/a b", false},
        {"about:blank", false},
        {"mailto:someone", false},
        {"file:///tmp/a b.html", false},
        {"/tmp/my page.html", false},
        {"~/my page.html", false},
        {"", false},
        {"   ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IsSearchText(QString::fromUtf8(c.text)), c.bSearch) << c.text;
}

TEST(AddressInputTest, TheQueryReachesTheSearchPageEncoded)
{
    const struct
    {
        const char* page;
        const char* query;
        const char* expected;
    } cases[] = {
        {"https://search.example/?q=%s", "two words", "https://search.example/?q=two%20words"},
        {"https://search.example/find?lang=en&q=%s&x=1", "a&b=c+d",
         "https://search.example/find?lang=en&q=a%26b%3Dc%2Bd&x=1"},
        {"https://search.example/", "nuvbrowser", "https://search.example/?q=nuvbrowser"},
        {"https://search.example/find?lang=en", "größe 100%",
         "https://search.example/find?lang=en&q=gr%C3%B6%C3%9Fe%20100%25"},
        // A query the page already carries gives way to the typed one.
        {"https://search.example/?q=old", "new", "https://search.example/?q=new"},
    };
    for (const auto& c : cases) {
        const QUrl url = SearchUrl(QString::fromUtf8(c.page), QString::fromUtf8(c.query));
        EXPECT_EQ(url.toString(QUrl::FullyEncoded).toStdString(), c.expected) << c.page;
    }
}

} // namespace
