// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/BookmarkFile.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {
// The entries in one line: folders as name{...}, links as name=address, separated by "; ".
QString Outline(const std::vector<BookmarkNode>& nodes)
{
    QStringList parts;
    for (const BookmarkNode& node : nodes)
        parts << (node.bFolder ? node.name + "{" + Outline(node.children) + "}"
                               : node.name + "=" + node.address);
    return parts.join("; ");
}

QByteArray Fixture(const char* name)
{
    QFile f(QStringLiteral(NUV_SOURCE_DIR "/tests/favorites/fixtures/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << name;
    return f.readAll();
}

struct FixtureCase
{
    const char* file;
    const char* outline;
};

TEST(BookmarkFileTest, ReadsTheFilesOtherBrowsersWrite)
{
    const FixtureCase cases[] = {
        {"firefox-bookmarks.html",
         "Mozilla Firefox{Get Help=https://support.mozilla.org/products/firefox; Tom & Jerry "
         "<3=https://example.org/a?x=1&y=2}; Bookmarklet=javascript:alert(1); "
         "Example=https://example.com/; Bookmarks Toolbar{Most "
         "Visited=place:sort=8&maxResults=10; Caf\u00e9 \u263a=https://example.net/caf%C3%A9}"},
        {"chromium-bookmarks.html",
         "Bookmarks bar{News=https://www.example.com/news; "
         "Work{Intranet=https://intranet.example.com/}}; Other bookmarks{\"Quoted\" "
         "'title'=http://example.org/}"},
        {"falkon-bookmarks.html", "Bookmarks Toolbar{Falkon=https://falkon.example/}; Bookmarks "
                                  "Menu{KDE=https://kde.example/}; Unsorted Bookmarks{}"},
    };
    for (const FixtureCase& c : cases) {
        std::vector<BookmarkNode> roots;
        QString error;
        ASSERT_TRUE(CBookmarkFile::Parse(Fixture(c.file), &roots, &error)) << c.file;
        EXPECT_EQ(Outline(roots), QString::fromUtf8(c.outline)) << c.file;
    }
}

TEST(BookmarkFileTest, KeepsTheAddDate)
{
    std::vector<BookmarkNode> roots;
    QString error;
    ASSERT_TRUE(CBookmarkFile::Parse(Fixture("chromium-bookmarks.html"), &roots, &error));
    ASSERT_EQ(roots.size(), 2u);
    EXPECT_EQ(roots[0].addDate, 1690000000);
    EXPECT_EQ(roots[0].children[0].addDate, 1690000001);
    EXPECT_EQ(roots[1].children[0].addDate, 1690000006);
}

QByteArray Nested(int depth)
{
    QByteArray bytes = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < depth; ++i)
        bytes += "<DT><H3>f</H3>\n<DL><p>\n";
    bytes += "<DT><A HREF=\"https://deep.example/\">deep</A>\n";
    for (int i = 0; i < depth; ++i)
        bytes += "</DL><p>\n";
    return bytes + "</DL><p>\n";
}

struct RefusedCase
{
    const char* what;
    QByteArray bytes;
};

TEST(BookmarkFileTest, RefusesWhatIsNoBookmarkFileOrTooLarge)
{
    const RefusedCase cases[] = {
        {"empty", ""},
        {"plain text", "just some words, https://example.com/"},
        {"an HTML page", "<html><body><a href=\"https://example.com/\">x</a></body></html>"},
        {"nesting too deep", Nested(CBookmarkFile::kMaxDepth + 1)},
        {"over the size limit", "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n" +
                                    QByteArray(CBookmarkFile::kMaxBytes, ' ')},
    };
    for (const RefusedCase& c : cases) {
        std::vector<BookmarkNode> roots;
        QString error;
        EXPECT_FALSE(CBookmarkFile::Parse(c.bytes, &roots, &error)) << c.what;
        EXPECT_FALSE(error.isEmpty()) << c.what;
        EXPECT_TRUE(roots.empty()) << c.what;
    }
    std::vector<BookmarkNode> roots;
    QString error;
    EXPECT_TRUE(CBookmarkFile::Parse(Nested(CBookmarkFile::kMaxDepth), &roots, &error))
        << error.toStdString();
}

TEST(BookmarkFileTest, ToleratesBrokenMarkup)
{
    const RefusedCase cases[] = {
        {"no end tags", "<DL><p><DT><A HREF=\"https://a.example/\">a<DT><H3>f"},
        {"unbalanced lists", "<DL></DL></DL></DL><DL><DL><DT><A HREF=x>y</A>"},
        {"a tag never closed", "<DL><DT><A HREF=\"https://a.example/"},
        {"a stray equals sign", "<DL><DT><A = HREF=\"https://a.example/\">a</A>"},
        {"a comment never closed", "<DL><!-- <DT><A HREF=x>y</A>"},
    };
    for (const RefusedCase& c : cases) {
        std::vector<BookmarkNode> roots;
        QString error;
        EXPECT_TRUE(CBookmarkFile::Parse(c.bytes, &roots, &error)) << c.what;
    }
}

struct EntityCase
{
    const char* text;
    const char* decoded;
};

TEST(BookmarkFileTest, DecodesCharacterReferences)
{
    const EntityCase cases[] = {
        {"a &amp; b", "a & b"},
        {"&lt;&gt;&quot;&#39;&apos;", "<>\"''"},
        {"&#233;&#xE9;&#XE9;", "\u00e9\u00e9\u00e9"},
        {"&#x1F600;", "\U0001F600"},
        {"&unknown; &amp", "&unknown; &amp"},
        {"&#0; &#xD800; &#x110000;", "&#0; &#xD800; &#x110000;"},
        {"&&amp;", "&&"},
    };
    for (const EntityCase& c : cases)
        EXPECT_EQ(CBookmarkFile::DecodeEntities(QString::fromUtf8(c.text)),
                  QString::fromUtf8(c.decoded))
            << c.text;
}

TEST(BookmarkFileTest, WhatItWritesReadsBackTheSame)
{
    BookmarkNode link{
        false, "Tom & \"Jerry\" <3 'x'", "https://example.org/?a=1&b=\"2\"", 1700000000, {}};
    BookmarkNode inner{true, "Inner", QString(), 0, {link}};
    BookmarkNode outer{true, "Caf\u00e9 \U0001F600", QString(), 1600000000, {inner, link}};
    const std::vector<BookmarkNode> roots{outer, link, BookmarkNode{true, "Empty", {}, 0, {}}};
    const QByteArray bytes = CBookmarkFile::Format(roots);
    EXPECT_TRUE(bytes.startsWith("<!DOCTYPE NETSCAPE-Bookmark-file-1>"));
    EXPECT_TRUE(bytes.contains("<DT><H3 ADD_DATE=\"1600000000\">"));
    std::vector<BookmarkNode> back;
    QString error;
    ASSERT_TRUE(CBookmarkFile::Parse(bytes, &back, &error)) << error.toStdString();
    EXPECT_EQ(back, roots) << Outline(back).toStdString();
}
} // namespace
