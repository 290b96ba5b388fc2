// SPDX-License-Identifier: GPL-3.0-or-later
// The page scripts' arguments and the reading of their answers, without an engine.
#include "panes/webengine/PageScripts.h"

#include <QVariantMap>
#include <gtest/gtest.h>

namespace {

TEST(PageScripts, ArgumentsTravelAsJson)
{
    EXPECT_EQ(PageScripts::CallScript("function (a, b) {}", {QString("x\"</script>\\"), 1.5}),
              R"js((function (a, b) {})("x\"</script>\\",1.5))js");
    EXPECT_EQ(PageScripts::CallScript("f"), "(f)()");
}

TEST(PageScripts, TypeAndProtocolTexts)
{
    const std::pair<const char*, const char*> types[] = {
        {"text/html", "HTML Document"},
        {"TEXT/HTML; charset=utf-8", "HTML Document"},
        {"image/gif", "GIF Image"},
        {"image/jpeg", "JPEG Image"},
        {"image/png", "PNG Image"},
        {"image/svg+xml", "SVG Image"},
        {"text/plain", "Text Document"},
        {"application/pdf", "PDF File"},
        {"", ""},
    };
    for (const auto& [mime, text] : types)
        EXPECT_EQ(PageScripts::TypeText(mime), text) << mime;
    EXPECT_EQ(PageScripts::ProtocolText("http:"), "HyperText Transfer Protocol");
    EXPECT_EQ(PageScripts::ProtocolText("https:"), "HyperText Transfer Protocol with Privacy");
    EXPECT_EQ(PageScripts::ProtocolText("file:"), "File Protocol");
    EXPECT_EQ(PageScripts::ProtocolText("qrc:"), "qrc");
}

TEST(PageScripts, AnswersOfAGonePageAreFailures)
{
    EXPECT_FALSE(PageScripts::ReadElements(QVariant()).bOk);
    EXPECT_FALSE(PageScripts::ReadDocumentInfo(QVariant()).bOk);
    EXPECT_FALSE(PageScripts::ReadBodyMarkup(QVariantMap{{"ok", false}}).bOk);

    const QVariantMap answer{{"ok", true},
                             {"path", QVariantList{QVariantMap{{"tag", "A"}, {"href", ""}},
                                                   QVariantMap{{"tag", "BODY"}}}}};
    const BrowserElementPath path = PageScripts::ReadElements(answer);
    ASSERT_TRUE(path.bOk);
    ASSERT_EQ(path.path.size(), 2);
    EXPECT_TRUE(path.path[0].href.isEmpty() && !path.path[0].href.isNull());
    EXPECT_TRUE(path.path[1].href.isNull());
}

} // namespace
