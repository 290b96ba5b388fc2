// SPDX-License-Identifier: GPL-3.0-or-later
#include "favorites/ShortcutFile.h"

#include "TempHome.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace {
class ShortcutFileTest : public ::testing::Test
{
protected:
    QString PathOf(const QString& name) const { return m_home.Path() + "/" + name; }

    QString Put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(PathOf(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }

    QByteArray Contents(const QString& name) const
    {
        QFile f(PathOf(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    CTempHome m_home;
};

struct ReadCase
{
    const char* what;
    QByteArray bytes;
    QByteArray address;
};

TEST_F(ShortcutFileTest, ReadsTheAddressOfStrangeFiles)
{
    const QByteArray winProps = "[{000214A0-0000-0000-C000-000000000046}]\r\nProp3=19,11\r\n";
    const QByteArray longValue(600, 'a');
    QByteArray pushed = "[DEFAULT]\r\nBASEURL=x\r\n";
    while (pushed.size() < kShortcutReadLimit)
        pushed += "; padding line\r\n";
    pushed += "[InternetShortcut]\r\nURL=y\r\n";

    const ReadCase cases[] = {
        {"written form", "[InternetShortcut]\r\nURL=a/b\r\n", "a/b"},
        {"no line end", "[InternetShortcut]\r\nURL=abc", "abc"},
        {"DEFAULT first", "[DEFAULT]\r\nBASEURL=x\r\n[InternetShortcut]\r\nURL=y\r\n", "y"},
        {"Windows property store first",
         winProps + "[InternetShortcut]\r\nIDList=\r\nURL=http://example.org/\r\n",
         "http://example.org/"},
        {"section and key in any case", "[internetSHORTCUT]\nurl=z\n", "z"},
        {"blanks around section and key", "  [InternetShortcut] \n URL =v w\n", "v w"},
        {"URL of another section", "[Other]\nURL=o\n[InternetShortcut]\nURL=p\n", "p"},
        {"section without URL: first key", "[InternetShortcut]\r\nIconIndex=1\r\n", "1"},
        {"no section: first key", "BASEURL=x\r\nURL=y\r\n", "x"},
        {"byte-order mark", "\xEF\xBB\xBF[InternetShortcut]\r\nURL=b\r\n", "b"},
        {"ends at CR", "x=abc\rdef", "abc"},
        {"ends at LF", "x=abc\ndef", "abc"},
        {QByteArray("ends at NUL").constData(), QByteArray("x=abc\0def", 9), "abc"},
        {"NUL in the section", QByteArray("[InternetShortcut]\nURL=ab\0c\n", 28), "ab"},
        {"UTF-8 kept as bytes", "[InternetShortcut]\nURL=http://b\xC3\xA4r/\n",
         "http://b\xC3\xA4r/"},
        {"no =", "[InternetShortcut]\r\nnothing here\r\n", ""},
        {"empty file", "", ""},
        {"cut at byte 511", "[InternetShortcut]\r\nURL=" + longValue,
         longValue.left(kShortcutReadLimit - kShortcutHeaderSize)},
        {"section past byte 511", pushed, "x"},
    };
    int n = 0;
    for (const ReadCase& c : cases) {
        const QString name = QString("c%1.url").arg(n++);
        Put(name, c.bytes);
        EXPECT_EQ(ReadShortcutAddress(m_home.Path(), name), c.address) << c.what;
        EXPECT_EQ(ReadShortcutAddress(PathOf(name)), c.address) << c.what << " (whole path)";
    }
}

TEST_F(ShortcutFileTest, ReadsAddressesWindowsWroteOutsideAscii)
{
    // Windows writes URL= in its ANSI code page and the exact address in UTF-7 in a section
    // of its own; every address comes back as UTF-8.
    const QByteArray exact = "http://example.org/Caf\xC3\xA9/\xE6\x97\xA5\xE6\x9C\xAC";
    const QString fixtures = QStringLiteral(NUV_SOURCE_DIR "/tests/favorites/fixtures/");
    const struct
    {
        const char* what;
        QString path;
        QByteArray address;
    } files[] = {
        {"both sections", fixtures + "windows-both-sections.url", exact},
        {"Latin-1 bytes only", fixtures + "latin1-only.url",
         "http://example.org/M\xC3\xBCnchen/\xC3\xA9t\xC3\xA9\xE2\x82\xAC"},
    };
    for (const auto& f : files) {
        ASSERT_TRUE(QFile::exists(f.path)) << f.what;
        EXPECT_EQ(ReadShortcutAddress(f.path), f.address) << f.what;
    }

    const ReadCase cases[] = {
        {"exact section first",
         "[InternetShortcut.W]\r\nURL=a+AOk-\r\n[InternetShortcut]\r\nURL=a?", "a\xC3\xA9"},
        {"plus sign in UTF-7", "[InternetShortcut.W]\nURL=a+-b\n", "a+b"},
        {"exact section not UTF-7",
         "[InternetShortcut]\nURL=x\xE9\n[InternetShortcut.W]\nURL=\xE9\n", "x\xC3\xA9"},
        {"broken base64 run", "[InternetShortcut]\nURL=y\n[InternetShortcut.W]\nURL=+AOl-\n", "y"},
        {"empty exact address", "[InternetShortcut]\nURL=z\n[InternetShortcut.W]\nURL=\n", "z"},
        {"Windows-1252 first key", "BASEURL=\x80\x99\r\n", "\xE2\x82\xAC\xE2\x84\xA2"},
        {"UTF-8 stays", "[InternetShortcut]\nURL=\xC3\xA9\n", "\xC3\xA9"},
    };
    int n = 0;
    for (const ReadCase& c : cases) {
        const QString name = QString("w%1.url").arg(n++);
        Put(name, c.bytes);
        EXPECT_EQ(ReadShortcutAddress(m_home.Path(), name), c.address) << c.what;
    }
}

TEST_F(ShortcutFileTest, FilesThatCannotBeReadHaveNoAddress)
{
    EXPECT_TRUE(ReadShortcutAddress(PathOf("missing.url")).isEmpty());
    EXPECT_TRUE(ReadShortcutAddress(m_home.Path()).isEmpty()); // a directory
    EXPECT_TRUE(ReadShortcutAddress(QString()).isEmpty());

    // A FIFO must not make the reader wait for a writer.
    ASSERT_EQ(::mkfifo(QFile::encodeName(PathOf("fifo.url")).constData(), 0600), 0);
    EXPECT_TRUE(ReadShortcutAddress(PathOf("fifo.url")).isEmpty());
}

TEST_F(ShortcutFileTest, UnreadableFileHasNoAddress)
{
    const QByteArray content = "[InternetShortcut]\r\nURL=x";
    Put("plain.url", content);
    ASSERT_EQ(::symlink("loop-b.url", QFile::encodeName(PathOf("loop-a.url")).constData()), 0);
    ASSERT_EQ(::symlink("loop-a.url", QFile::encodeName(PathOf("loop-b.url")).constData()), 0);
    ASSERT_EQ(::symlink("gone.url", QFile::encodeName(PathOf("dangling.url")).constData()), 0);
    QStringList paths = {
        PathOf("plain.url/inner.url"),                   // a folder in the path is a file
        PathOf(QString(300, QLatin1Char('n')) + ".url"), // a name longer than names may be
        PathOf("loop-a.url"),                            // links that lead to each other
        PathOf("dangling.url"),                          // a link to nothing
    };
    // Root reads files of mode 000.
    if (::geteuid() != 0) {
        const QString locked = Put("locked.url", content);
        ASSERT_TRUE(QFile::setPermissions(locked, QFileDevice::Permissions()));
        paths << locked;
    }
    for (const QString& path : paths)
        EXPECT_TRUE(ReadShortcutAddress(path).isEmpty()) << path.toStdString();
    EXPECT_EQ(ReadShortcutAddress(PathOf("plain.url")), "x") << "the same file, readable";
}

TEST_F(ShortcutFileTest, WritesTheExactBytes)
{
    ASSERT_TRUE(WriteShortcutFile(PathOf("abc.url"), "abc"));
    EXPECT_EQ(Contents("abc.url"), QByteArray("[InternetShortcut]\r\nURL=abc"));
    EXPECT_EQ(Contents("abc.url").size(), 27);

    // Replacing a file, an address outside ASCII, and the largest address allowed.
    const QString umlaut = QString::fromUtf8("http://b\xC3\xA4r/");
    ASSERT_TRUE(WriteShortcutFile(PathOf("abc.url"), umlaut));
    EXPECT_EQ(ReadShortcutAddress(PathOf("abc.url")), umlaut.toUtf8());
    // A decomposed letter is written composed; nothing else is changed, not even characters
    // that full composition would replace (a CJK compatibility ideograph, the Ohm sign).
    const struct
    {
        const char* written;
        const char* read;
    } forms[] = {
        {"a\xCC\x88", "\xC3\xA4"},
        {"x\xEF\xA4\xBBy", "x\xEF\xA4\xBBy"},
        {"\xE2\x84\xA6o\xCC\x88", "\xE2\x84\xA6\xC3\xB6"},
    };
    for (const auto& form : forms) {
        ASSERT_TRUE(WriteShortcutFile(PathOf("nfd.url"), QString::fromUtf8(form.written)));
        EXPECT_EQ(ReadShortcutAddress(PathOf("nfd.url")), QByteArray(form.read)) << form.written;
    }

    // The longest address written still lies whole in the part of the file that is read.
    const QString longest(kMaxShortcutAddress, QLatin1Char('x'));
    ASSERT_TRUE(WriteShortcutFile(PathOf("long.url"), longest));
    EXPECT_EQ(Contents("long.url").size(), kShortcutReadLimit);
    EXPECT_EQ(ReadShortcutAddress(PathOf("long.url")), longest.toUtf8());

    QDir dir(m_home.Path());
    EXPECT_EQ(dir.entryList(QDir::Files).size(), 3) << "no temporary files stay behind";
}

TEST_F(ShortcutFileTest, RefusedWritesLeaveTheDiskAlone)
{
    const QByteArray before = "[InternetShortcut]\r\nURL=keep";
    Put("keep.url", before);
    const QString tooLong(kMaxShortcutAddress + 1, QLatin1Char('x'));
    const QString tooLongUtf8(kMaxShortcutAddress / 2 + 1, QChar(0xE4)); // two bytes each

    for (const QString& address : {QString(), tooLong, tooLongUtf8}) {
        EXPECT_FALSE(WriteShortcutFile(PathOf("keep.url"), address));
        EXPECT_EQ(Contents("keep.url"), before);
        EXPECT_FALSE(WriteShortcutFile(PathOf("new.url"), address));
        EXPECT_FALSE(QFile::exists(PathOf("new.url")));
    }
    EXPECT_FALSE(WriteShortcutFile(PathOf("no/such/folder/x.url"), "abc"));
    EXPECT_FALSE(WriteShortcutFile(m_home.Path(), "abc")); // a directory stays one
    EXPECT_TRUE(QFileInfo(m_home.Path()).isDir());
    EXPECT_EQ(QDir(m_home.Path()).entryList(QDir::Files), QStringList{"keep.url"});
}

TEST_F(ShortcutFileTest, FavoritesFolderIsCreatedWhereTheDataHomeSays)
{
    const QString expected = m_home.DataHome() + "/nuvBrowser/Favorites";
    ASSERT_FALSE(QFileInfo::exists(expected));
    EXPECT_EQ(GetFavoritesFolder(), expected);
    EXPECT_TRUE(QFileInfo(expected).isDir());
    EXPECT_EQ(GetFavoritesFolder(), expected); // found again as it is

    // Without an (absolute) XDG_DATA_HOME the folder lives under ~/.local/share.
    const QString other = m_home.Path() + "/other";
    qputenv("HOME", QFile::encodeName(other));
    for (const char* value : {"", "relative/data"}) {
        qputenv("XDG_DATA_HOME", value);
        EXPECT_EQ(GetFavoritesFolder(), other + "/.local/share/nuvBrowser/Favorites") << value;
    }

    // A file where the folder should be: no folder.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.Path() + "/blocked"));
    QDir().mkpath(m_home.Path() + "/blocked/nuvBrowser");
    Put("blocked/nuvBrowser/Favorites", "not a folder");
    EXPECT_EQ(GetFavoritesFolder(), QString());
}
} // namespace
