// SPDX-License-Identifier: GPL-3.0-or-later
// What a page opened from a local file may reach: the files of its own folder (pictures,
// style sheets, reads), but nothing of other folders or of web sites.
#include "EngineFixture.h"
#include "WaitFor.h"

#include "panes/webengine/LocalFileRule.h"
#include "panes/webengine/WebEngineControl.h"
#include "panes/webengine/WebEngineFactory.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <memory>

namespace {

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The page tries every way in when it has loaded and puts what it got into its title.
const char kProbePage[] = R"html(<html><head><title>Local</title>
<link rel="stylesheet" href="style.css"></head><body>
<img id="pic" src="pic.gif">
<script>
function read(url) {
  return new Promise(function (done) {
    var x = new XMLHttpRequest();
    x.onload = function () { done(x.responseText.indexOf('SECRET') >= 0 ? 'read' : 'refused'); };
    x.onerror = function () { done('refused'); };
    try { x.open('GET', url); x.send(); } catch (e) { done('refused'); }
  });
}
function readFrame(url) {
  return new Promise(function (done) {
    var f = document.createElement('iframe');
    var timer = setTimeout(function () { done('refused'); }, 5000);
    f.onload = function () {
      clearTimeout(timer);
      try {
        done(f.contentDocument.body.textContent.indexOf('SECRET') >= 0 ? 'read' : 'refused');
      } catch (e) { done('refused'); }
    };
    f.src = url;
    document.body.appendChild(f);
  });
}
window.onload = function () {
  var answer = {
    ownPicture: document.getElementById('pic').naturalWidth > 0 ? 'shown' : 'missing',
    ownStyle: getComputedStyle(document.body).color == 'rgb(1, 2, 3)' ? 'applied' : 'missing'
  };
  var reads = [['ownFolder', read('data.txt')], ['otherFolder', read('OTHER/secret.txt')],
               ['otherFrame', readFrame('OTHER/secret.html')], ['web', read('WEB')]];
  Promise.all(reads.map(function (r) { return r[1]; })).then(function (got) {
    got.forEach(function (value, i) { answer[reads[i][0]] = value; });
    document.title = JSON.stringify(answer);
  });
};
</script></body></html>)html";

TEST(LocalFileRule, APageReachesOnlyItsOwnFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath("page/sub") && QDir(dir.path()).mkdir("other"));
    for (const char* name : {"page/a.html", "page/sub/b.gif", "other/secret.txt"})
        ASSERT_TRUE(WriteFile(dir.filePath(name), "x"));
    ASSERT_TRUE(QFile::link(dir.filePath("other/secret.txt"), dir.filePath("page/link.txt")));
    const auto file = [&](const char* name) { return QUrl::fromLocalFile(dir.filePath(name)); };
    const QUrl page = file("page/a.html");
    const QUrl web("http://127.0.0.1/a.html");
    struct Case
    {
        QUrl request;
        QUrl page;
        bool bMainFrame;
        bool bAllowed;
    };
    const Case cases[] = {
        {file("page/a.html"), page, false, true},
        {file("page/sub/b.gif"), page, false, true},
        {file("page/sub"), page, false, true},
        {file("other/secret.txt"), page, false, false},
        {QUrl(file("page").toString() + "/../other/secret.txt"), page, false, false},
        {file("page/link.txt"), page, false, false},
        {file("page/missing.gif"), page, false, false},
        {file("page"), page, false, false},
        {QUrl("file:///etc/passwd"), page, false, false},
        {file("page/a.html"), web, false, false},
        {file("page/a.html"), QUrl(), false, false},
        // The pages shown and the web are not judged here.
        {file("other/secret.txt"), page, true, true},
        {web, page, false, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MayFetchLocalFile(c.request, c.page, c.bMainFrame), c.bAllowed)
            << c.request.toString().toStdString() << " main frame " << c.bMainFrame;
}

TEST_F(EngineTest, ALocalPageShowsItsOwnFilesAndReadsNoneElsewhere)
{
    // The engine's note on the frame it was refused.
    CExpectQtWarning refusedFrame("non-JS module files deprecated");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkdir("page") && QDir(dir.path()).mkdir("other"));
    const QString page = dir.filePath("page");
    const QString other = QUrl::fromLocalFile(dir.filePath("other")).toString();
    m_server.SetHtml("/secret.html", "<html><body>SECRET</body></html>");
    QByteArray html = kProbePage;
    html.replace("OTHER", other.toUtf8()).replace("WEB", m_server.Url("/secret.html").toUtf8());
    ASSERT_TRUE(WriteFile(page + "/probe.html", html));
    ASSERT_TRUE(WriteFile(page + "/pic.gif", GifBytes()));
    ASSERT_TRUE(WriteFile(page + "/style.css", "body { color: rgb(1, 2, 3) }"));
    ASSERT_TRUE(WriteFile(page + "/data.txt", "SECRET"));
    ASSERT_TRUE(WriteFile(dir.filePath("other/secret.txt"), "SECRET"));
    ASSERT_TRUE(WriteFile(dir.filePath("other/secret.html"), "<html><body>SECRET</body></html>"));

    std::unique_ptr<CWebEngineControl> control(
        static_cast<CWebEngineControl*>(CreateWebEngineControl(nullptr)));
    control->resize(400, 300);
    ASSERT_TRUE(control->Navigate2(QUrl::fromLocalFile(page + "/probe.html").toString()));
    QWebEnginePage* pPage = control->page();
    ASSERT_TRUE(WaitFor([&] { return pPage->title().startsWith('{'); }, 20000))
        << pPage->title().toStdString();

    const QJsonObject answer = QJsonDocument::fromJson(pPage->title().toUtf8()).object();
    const std::pair<const char*, const char*> expected[] = {
        {"ownPicture", "shown"},    {"ownStyle", "applied"},   {"ownFolder", "read"},
        {"otherFolder", "refused"}, {"otherFrame", "refused"}, {"web", "refused"},
    };
    for (const auto& [key, value] : expected)
        EXPECT_EQ(answer[key].toString().toStdString(), value) << key;
}

} // namespace
