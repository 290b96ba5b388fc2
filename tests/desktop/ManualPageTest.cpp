// SPDX-License-Identifier: GPL-3.0-or-later
// The manual page as a terminal shows it: the key lists read as lists wherever the page breaks
// them, and the files the program keeps are all named.
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
const char* const kPage = NUV_SOURCE_DIR "/desktop/nuvbrowser.1";

// The page as plain text, with `lines` paragraphs of one word put in before the keys, so a
// list lands elsewhere on the output's pages.
QStringList Rendered(const QByteArray& source, int nLines)
{
    QByteArray shifted = source;
    const QByteArray keys = ".SH KEYS\n";
    shifted.replace(keys, QByteArray(".PP\nshift\n").repeated(nLines) + keys);
    QProcess groff;
    groff.start("groff", {"-t", "-man", "-Tascii", "-P-cbou", "-ww"});
    if (!groff.waitForStarted(30000))
        return {};
    groff.write(shifted);
    groff.closeWriteChannel();
    if (!groff.waitForFinished(30000) || groff.exitCode() != 0)
        return {};
    return QString::fromUtf8(groff.readAllStandardOutput()).split('\n');
}

TEST(ManualPageTest, KeyListsHaveNoBlankLinesWhereverThePageBreaks)
{
    QFile file(kPage);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray source = file.readAll();
    // The first and the last row of each list.
    const struct
    {
        const char* first;
        const char* last;
        int nRows;
    } lists[] = {{"Ctrl+A", "Ctrl+M", 15}, {"Ctrl+1", "Enter", 6}};
    // An output page is 66 lines long: every row comes to the break once.
    for (int nLines = 0; nLines < 70; nLines += 3) {
        SCOPED_TRACE(nLines);
        const QStringList text = Rendered(source, nLines);
        ASSERT_FALSE(text.isEmpty());
        for (const auto& list : lists) {
            const auto row = [&](const char* key) {
                for (qsizetype i = 0; i < text.size(); ++i)
                    if (text[i].trimmed().startsWith(QLatin1String(key) + "  "))
                        return i;
                return qsizetype(-1);
            };
            const qsizetype nFirst = row(list.first), nLast = row(list.last);
            ASSERT_NE(nFirst, -1) << list.first;
            EXPECT_EQ(nLast - nFirst + 1, list.nRows)
                << text.mid(nFirst, nLast - nFirst + 1).join('\n').toStdString();
        }
    }
}

TEST(ManualPageTest, TheFilesSectionNamesEveryFileTheProgramKeeps)
{
    const QStringList text = Rendered(
        [] {
            QFile file(kPage);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }(),
        0);
    const QString page = text.join('\n');
    const qsizetype nFiles = page.indexOf("\nFILES\n");
    const qsizetype nAfter = page.indexOf("\nEXIT STATUS\n");
    ASSERT_NE(nFiles, -1);
    ASSERT_GT(nAfter, nFiles);
    const QString files = page.mid(nFiles, nAfter - nFiles);
    for (const char* name :
         {"$XDG_CONFIG_HOME/nuvBrowser/registry.reg", "$XDG_DATA_HOME/nuvBrowser/Favorites",
          "$XDG_DATA_HOME/nuvBrowser/session", "session.bak", "session.bak.1",
          "$XDG_CACHE_HOME/nuvBrowser", "$XDG_RUNTIME_DIR/nuvBrowser"})
        EXPECT_TRUE(files.contains(name)) << name;
}
} // namespace
