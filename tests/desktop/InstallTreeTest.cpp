// SPDX-License-Identifier: GPL-3.0-or-later
// What `make install` puts in place, installed into a temporary DESTDIR and checked with the
// desktop's own validators: desktop entries, AppStream metadata, icons, manual page, and the
// program with its applet where the program looks for it.
#include "TempHome.h"
#include "platform/AppletLoader.h"
#include "platform/BrowserProgram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <gtest/gtest.h>

#include <dlfcn.h>

namespace {
struct Result
{
    int code = -1;
    QString out;
};

Result RunTool(const QString& program, const QStringList& args, const QString& input = {},
               const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    Result r;
    if (!p.waitForStarted(30000))
        return r;
    p.write(input.toUtf8());
    p.closeWriteChannel();
    if (!p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return r;
}

// The keys of a desktop entry's main group (QSettings reads ";" as the start of a comment).
QMap<QString, QString> DesktopEntryKeys(const QString& path)
{
    QMap<QString, QString> keys;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    bool inMain = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n')) {
        if (line.startsWith('['))
            inMain = line == "[Desktop Entry]";
        else if (inMain && line.contains('='))
            keys.insert(line.section('=', 0, 0), line.section('=', 1));
    }
    return keys;
}

class InstallTreeTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_home = new CTempHome();
        s_usr = s_home->Path() + "/dest/usr";
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DESTDIR", s_home->Path() + "/dest");
        s_install = RunTool("cmake", {"--install", NUV_BINARY_DIR, "--prefix", "/usr"}, {}, env);
    }
    static void TearDownTestSuite()
    {
        delete s_home;
        s_home = nullptr;
    }
    void SetUp() override { ASSERT_EQ(s_install.code, 0) << s_install.out.toStdString(); }

    static CTempHome* s_home;
    static QString s_usr;
    static Result s_install;
};
CTempHome* InstallTreeTest::s_home = nullptr;
QString InstallTreeTest::s_usr;
Result InstallTreeTest::s_install;

TEST_F(InstallTreeTest, DesktopEntriesAreValidAndOpenAddressesAndShortcutFiles)
{
    struct Case
    {
        const char* file;
        const char* exec;
        QStringList mimeTypes;
        bool shownInMenus;
    };
    const Case cases[] = {
        {"nuvbrowser.desktop",
         "nuvbrowser %u",
         {"x-scheme-handler/http", "x-scheme-handler/https", "text/html", "application/xhtml+xml"},
         true},
        {"nuvbrowser-shortcut.desktop", "nuvbrowser -u %f", {"application/x-mswinurl"}, false},
    };
    for (const Case& c : cases) {
        const QString path = s_usr + "/share/applications/" + c.file;
        const Result valid = RunTool("desktop-file-validate", {path});
        EXPECT_EQ(valid.code, 0) << c.file;
        EXPECT_EQ(valid.out, "") << c.file;

        const QMap<QString, QString> entry = DesktopEntryKeys(path);
        EXPECT_EQ(entry.value("Exec"), c.exec) << c.file;
        EXPECT_EQ(entry.value("Icon"), "nuvbrowser") << c.file;
        EXPECT_EQ(entry.value("MimeType"), c.mimeTypes.join(';') + ';') << c.file;
        EXPECT_EQ(entry.value("NoDisplay", "false"), c.shownInMenus ? "false" : "true") << c.file;
        // The program's windows are recognised as this entry's.
        EXPECT_EQ(entry.value("StartupWMClass"), "nuvBrowserClass") << c.file;
    }
}

TEST_F(InstallTreeTest, AppStreamMetadataIsValidAndNamesTheDesktopEntry)
{
    const QString path = s_usr + "/share/metainfo/org.qorval.nuvbrowser.metainfo.xml";
    const Result valid = RunTool("appstreamcli", {"validate", "--no-net", "--pedantic", path});
    EXPECT_EQ(valid.code, 0) << valid.out.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("<launchable type=\"desktop-id\">nuvbrowser.desktop</launchable>"));
    EXPECT_TRUE(QFile::exists(s_usr + "/share/applications/nuvbrowser.desktop"));
}

TEST_F(InstallTreeTest, IconsOfEveryThemeSizeAreRoundPicturesOfThatSize)
{
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QString path =
            s_usr + QStringLiteral("/share/icons/hicolor/%1x%1/apps/nuvbrowser.png").arg(size);
        const QImage image(path);
        ASSERT_FALSE(image.isNull()) << path.toStdString();
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        // A globe: transparent corners, an opaque middle.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

TEST_F(InstallTreeTest, ManualPageFormatsWithoutWarnings)
{
    QFile page(s_usr + "/share/man/man1/nuvbrowser.1.gz");
    ASSERT_TRUE(page.exists());
    // Plain text, warnings included.
    const Result text = RunTool(
        "sh", {"-c", "gzip -dc \"$0\" | groff -t -man -Tascii -P-cbou -ww 2>&1", page.fileName()});
    ASSERT_EQ(text.code, 0) << text.out.toStdString();
    EXPECT_FALSE(text.out.contains("warning")) << text.out.toStdString();
    for (const char* part : {"NAME", "SYNOPSIS", "OPTIONS", "--help", "--version", "-u file",
                             "KEYS", "Ctrl+N", "Alt+D", "FILES", "registry.reg", "Favorites"})
        EXPECT_TRUE(text.out.contains(part)) << part;
}

TEST_F(InstallTreeTest, ProgramRunsFromItsPlaceAndFindsItsApplet)
{
    const Result version = RunTool(s_usr + "/bin/nuvbrowser", {"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "nuvBrowser Version 0.8w\n");
    // The launcher in bin finds the browser program it becomes; that one finds its applet.
    const QString browser = s_usr + "/lib/nuvbrowser/nuvbrowser-bin";
    EXPECT_EQ(CBrowserProgram::Find(s_usr + "/bin"), browser);
    EXPECT_EQ(RunTool(browser, {"--version"}).out, "nuvBrowser Version 0.8w\n");

    const QString applet =
        CAppletLoader::Find(QString::fromLatin1(CAppletLoader::kInternetOptions),
                            CAppletLoader::DefaultFolders(s_usr + "/lib/nuvbrowser"));
    ASSERT_EQ(applet, s_usr + "/lib/nuvbrowser/ioptions.cpl");
    void* library = ::dlopen(QFile::encodeName(applet).constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    EXPECT_NE(::dlsym(library, "CPlApplet"), nullptr);
    ::dlclose(library);
    // The spelling dictionaries converted by the build come along, beside the applet.
    EXPECT_TRUE(QFile::exists(s_usr + "/lib/nuvbrowser/qtwebengine_dictionaries/en_US.bdic"));
}
} // namespace

TEST_F(InstallTreeTest, LicenceIsNamedInThePackageTheMetadataAndEverySourceFile)
{
    QFile copyright(s_usr + "/share/doc/nuvbrowser/copyright");
    ASSERT_TRUE(copyright.open(QIODevice::ReadOnly));
    EXPECT_TRUE(copyright.readAll().contains("License: GPL-3+"));
    QFile metadata(s_usr + "/share/metainfo/org.qorval.nuvbrowser.metainfo.xml");
    ASSERT_TRUE(metadata.open(QIODevice::ReadOnly));
    EXPECT_TRUE(metadata.readAll().contains("<project_license>GPL-3.0-or-later</project_license>"));
    EXPECT_TRUE(QFile::exists(QStringLiteral(NUV_SOURCE_DIR "/COPYING")));

    QStringList unnamed;
    for (const char* folder : {"src", "applet", "tests", "bench", "fuzz"}) {
        QDirIterator it(QStringLiteral(NUV_SOURCE_DIR "/") + folder, {"*.cpp", "*.h"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (!file.open(QIODevice::ReadOnly) ||
                !file.readLine().startsWith("// SPDX-License-Identifier: GPL-3.0-or-later"))
                unnamed << file.fileName();
        }
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join('\n').toStdString();
}
