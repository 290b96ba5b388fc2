// SPDX-License-Identifier: GPL-3.0-or-later
#include "history/Completion.h"
#include "history/HistoryDb.h"
#include "history/HistoryStore.h"
#include "platform/ProfileDatabase.h"

#include "ProfileTrouble.h"
#include "TempHome.h"
#include "WaitFor.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace {
constexpr qint64 kDay = 24 * 60 * 60 * 1000;

QString Describe(const QList<CompletionRow>& rows)
{
    QStringList parts;
    for (const CompletionRow& r : rows) {
        const char kind = r.kind == ECompletionKind::Typed      ? 'T'
                          : r.kind == ECompletionKind::Favorite ? 'F'
                                                                : 'H';
        parts << QString(QLatin1Char(kind)) + QLatin1Char(':') + r.address;
    }
    return parts.join(QLatin1Char(' '));
}

// A small history: visits and counts chosen so that ranking by count and then by recency
// can be told apart.
class CompletionTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_db.Open());
        ASSERT_TRUE(m_history.Init());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        struct
        {
            const char* address;
            const char* title;
            int visits;
            qint64 age;
        } pages[] = {
            {"http://news.example.org/", "Morning News", 5, 2 * kDay},
            {"http://news.example.org/sport", "Sport results", 1, 1 * kDay},
            {"http://shop.example.com/", "Cheap Shoes", 5, 1 * kDay},
            {"https://docs.qt.io/qsqlquery.html", "QSqlQuery Class | Qt SQL", 2, 3 * kDay},
            {"http://100%.example.net/a_b", "Percent_and_underscore", 1, 4 * kDay},
            {"http://x.test/", "<script>alert(1)</script>", 1, 5 * kDay},
        };
        for (const auto& p : pages)
            for (int i = 0; i < p.visits; ++i)
                ASSERT_TRUE(m_history.Record({{p.address, p.title, now - p.age, true}}));
    }

    // The addresses that hold `text`, looked up on their own (not narrowed from an answer
    // before).
    std::string Addresses(const QString& text)
    {
        CHistoryDb alone(&m_db);
        QStringList found;
        if (alone.Init())
            for (const HistoryEntry& e : alone.Match(text, 12))
                found << e.address;
        return found.join(' ').toStdString();
    }

    // The substring index holds exactly the table's entries (the index's own check against
    // the table).
    bool IndexMatchesTable()
    {
        return QSqlQuery(m_db.Database())
            .exec("INSERT INTO history_text(history_text, rank) VALUES('integrity-check', 1)");
    }

    CTempHome m_home;
    CProfileDatabase m_db;
    CHistoryDb m_history{&m_db};
};
} // namespace

TEST_F(CompletionTest, RankingAndMatching)
{
    const QStringList typed = {"http://news.example.org/sport", "http://typed.example.org/"};
    const QList<CompletionRow> favorites = {
        {ECompletionKind::Favorite, "Shoe shop", "http://shop.example.com"},
        {ECompletionKind::Favorite, "Qt documentation", "https://doc.qt.io/"},
    };
    const struct
    {
        const char* text;
        int nMax;
        const char* expected;
    } cases[] = {
        // Typed first, then favorites, then history by visit count and recency; the shop's
        // favorite and its history entry are one page ("/" or not), offered once.
        {"example", 12,
         "T:http://news.example.org/sport T:http://typed.example.org/ F:http://shop.example.com "
         "H:http://news.example.org/ H:http://100%.example.net/a_b"},
        // Equal counts: the more recent first.
        {"o", 12,
         "T:http://news.example.org/sport T:http://typed.example.org/ F:http://shop.example.com "
         "F:https://doc.qt.io/ H:http://news.example.org/ H:https://docs.qt.io/qsqlquery.html "
         "H:http://100%.example.net/a_b"},
        {"o", 3,
         "T:http://news.example.org/sport T:http://typed.example.org/ F:http://shop.example.com"},
        // Titles match, ignoring case; surrounding blanks do not count.
        {"  morning NEWS ", 12, "H:http://news.example.org/"},
        {"qsqlquery class", 12, "H:https://docs.qt.io/qsqlquery.html"},
        {"SHOE", 12, "F:http://shop.example.com"},
        // LIKE's wildcards are plain characters.
        {"%", 12, "H:http://100%.example.net/a_b"},
        {"_and_", 12, "H:http://100%.example.net/a_b"},
        {"a_b", 12, "H:http://100%.example.net/a_b"},
        {"script>", 12, "H:http://x.test/"},
        {"", 12, ""},
        {"   ", 12, ""},
        {"nothing-like-this", 12, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const QString text = QString::fromUtf8(c.text);
        const QList<HistoryEntry> history = m_history.Match(text.trimmed(), c.nMax);
        EXPECT_EQ(Describe(RankCompletions(text, typed, favorites, history, c.nMax)).toStdString(),
                  c.expected);
    }
}

TEST_F(CompletionTest, TypedRowTakesAKnownTitle)
{
    const QList<CompletionRow> rows = RankCompletions("sport", {"http://news.example.org/sport"},
                                                      {}, m_history.Match("sport", 12));
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0].title, "Sport results");
}

TEST_F(CompletionTest, BoldMatchesEscapesTheRest)
{
    const struct
    {
        const char* text;
        const char* match;
        const char* html;
    } cases[] = {
        {"Morning News", "news", "Morning <b>News</b>"},
        {"abcABC", "b", "a<b>b</b>cA<b>B</b>C"},
        {"<b>x</b> & y", "x", "&lt;b&gt;<b>x</b>&lt;/b&gt; &amp; y"},
        {"plain", "", "plain"},
        {"plain", "zzz", "plain"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BoldMatches(c.text, c.match), c.html) << c.text;
}

TEST_F(CompletionTest, VisitsCountTitlesUpdateAndEntriesGo)
{
    // A later title does not count as a visit; an empty one keeps the title there is.
    ASSERT_TRUE(m_history.Record({{"http://shop.example.com/", "Shoes & More", 0, false},
                                  {"http://shop.example.com/", "", 0, true}}));
    QList<HistoryEntry> entries = m_history.Match("shop.example", 12);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].title, "Shoes & More");
    EXPECT_EQ(entries[0].visitCount, 6);
    // A page without a title of its own is kept (its pane has no title text at all).
    ASSERT_TRUE(m_history.Record({{"http://untitled.example/", QString(), 0, true}}));
    ASSERT_EQ(m_history.Match("untitled", 12).size(), 1);
    EXPECT_TRUE(m_history.Remove("http://untitled.example/"));
    // Pages of other kinds are not kept.
    ASSERT_TRUE(
        m_history.Record({{"about:blank", "", 1, true}, {"data:text/html,x", "", 1, true}}));
    EXPECT_EQ(m_history.Count(), 6);

    EXPECT_TRUE(m_history.Remove("http://shop.example.com/"));
    EXPECT_TRUE(m_history.Match("shop", 12).isEmpty());
    EXPECT_TRUE(m_history.Clear());
    EXPECT_EQ(m_history.Count(), 0);
}

TEST_F(CompletionTest, PruneDropsOldAndSurplusEntries)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(m_history.Record({{"http://old.example/", "old", now - 91 * kDay, true}}));
    EXPECT_EQ(m_history.Count(), 7);
    EXPECT_TRUE(m_history.Prune(now));
    EXPECT_EQ(m_history.Count(), 6);
    EXPECT_TRUE(m_history.Match("old.example", 12).isEmpty());
    // Beyond the bound the least recent go.
    EXPECT_TRUE(m_history.Prune(now, 2));
    EXPECT_EQ(m_history.Count(), 2);
    EXPECT_EQ(m_history.Match("example.", 12).size(), 2); // sport and shop, one day old
    EXPECT_TRUE(m_history.Match("x.test", 12).isEmpty());
}

TEST_F(CompletionTest, MatchReachesBeyondTheFirstEntriesInRankOrder)
{
    // More pages than Match walks in rank order (all visited once: the newest rank first).
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const int nPages = CHistoryDb::kRankWalk + 100;
    QList<HistoryVisit> visits;
    for (int i = 0; i < nPages; ++i)
        visits.append({QString("http://127.0.0.1/page-%1").arg(i), "", now - i * 1000, true});
    ASSERT_TRUE(m_history.Record(visits));
    const auto pages = [&](const QString& text) {
        QStringList found;
        for (const HistoryEntry& e : m_history.Match(text, 12))
            found << e.address.section('/', -1);
        return found.join(' ');
    };
    const struct
    {
        QString text;
        QString pages;
    } cases[] = {
        // Enough matches among the first: the best of them.
        {"page-1", "page-1 page-10 page-11 page-12 page-13 page-14 page-15 page-16 page-17 "
                   "page-18 page-19 page-100"},
        // Only the last page.
        {QString("page-%1").arg(nPages - 1), QString("page-%1").arg(nPages - 1)},
        // One among the first and the rest beyond them, still in rank order.
        {"page-209", "page-209 page-2090 page-2091 page-2092 page-2093 page-2094 page-2095 "
                     "page-2096 page-2097 page-2098 page-2099"},
        {"zzz", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pages(c.text), c.pages) << c.text.toStdString();

    // Typing on after a complete answer narrows it; a page visited since is not missed.
    EXPECT_EQ(pages("page-209"), "page-209 page-2090 page-2091 page-2092 page-2093 page-2094 "
                                 "page-2095 page-2096 page-2097 page-2098 page-2099");
    EXPECT_EQ(pages("PAGE-2095"), "page-2095");
    ASSERT_TRUE(m_history.Record({{"http://127.0.0.1/page-20950", "", now, true}}));
    EXPECT_EQ(pages("page-2095"), "page-20950 page-2095");
    m_history.Remove("http://127.0.0.1/page-2095");
    EXPECT_EQ(pages("page-2095"), "page-20950");

    // An answer of more matches than are shown, all beyond the walk, is narrowed from all of
    // them, not from the twelve shown.
    QList<HistoryVisit> old;
    for (int i = 0; i < 20; ++i)
        old.append(
            {QString("http://127.0.0.1/old-%1").arg(i), "", now - (nPages + i) * 1000, true});
    ASSERT_TRUE(m_history.Record(old));
    EXPECT_EQ(pages("old-"), "old-0 old-1 old-2 old-3 old-4 old-5 old-6 old-7 old-8 old-9 old-10 "
                             "old-11");
    EXPECT_EQ(pages("old-1"),
              "old-1 old-10 old-11 old-12 old-13 old-14 old-15 old-16 old-17 old-18 old-19");
    // One or two characters are looked for among the first entries in rank order only.
    EXPECT_EQ(pages("d-"), "");
    EXPECT_EQ(pages("ld-").count(' '), 11);
}

TEST_F(CompletionTest, SubstringIndexAnswersAsTheTableDoes)
{
    ASSERT_TRUE(m_history.HasTextIndex());
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    ASSERT_TRUE(m_history.Record({
        {"http://quote.example/", "Say \"hi\" AND NOT *", now, true},
        {"http://emoji.example/", QString::fromUtf8("Party \xF0\x9F\x8E\x89 time"), now, true},
        {"http://umlaut.example/",
         QString::fromUtf8("\xC3\x9C"
                           "ber Stra\xC3\x9F"
                           "e"),
         now, true},
    }));
    const struct
    {
        const char* text;
        const char* addresses;
    } cases[] = {
        // The index's query language is plain text here.
        {"\"hi\"", "http://quote.example/"},
        {"\" AND NOT *", "http://quote.example/"},
        {"NOT", "http://quote.example/"},
        {"\"\"\"", ""},
        // Characters beyond 16 bits count as one.
        {"\xF0\x9F\x8E\x89 t", "http://emoji.example/"},
        {"y \xF0\x9F\x8E\x89", "http://emoji.example/"},
        // As before: only ASCII letters match without regard to case.
        {"\xC3\x9C"
         "ber",
         "http://umlaut.example/"},
        {"\xC3\xBC"
         "ber",
         ""},
        {"STRA\xC3\x9F", "http://umlaut.example/"},
        // Every trigram must be there, in this order.
        {"sport results", "http://news.example.org/sport"},
        {"results sport", ""},
        {"news.example.org/sp", "http://news.example.org/sport"},
        // Long text: the index is asked for some of its trigrams, the rest is compared.
        {"QSqlQuery Class | Qt SQL", "https://docs.qt.io/qsqlquery.html"},
        {"QSqlQuery Class | Qt SQLite", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Addresses(QString::fromUtf8(c.text)), c.addresses) << c.text;
}

TEST_F(CompletionTest, SubstringIndexFollowsEveryChange)
{
    EXPECT_TRUE(IndexMatchesTable());
    // A later title replaces the one found before; a visit without one keeps it.
    ASSERT_TRUE(m_history.Record({{"http://shop.example.com/", "Boots & More", 0, false},
                                  {"http://shop.example.com/", "", 0, true}}));
    EXPECT_EQ(Addresses("Cheap Shoes"), "");
    EXPECT_EQ(Addresses("boots &"), "http://shop.example.com/");
    EXPECT_TRUE(m_history.Remove("http://shop.example.com/"));
    EXPECT_EQ(Addresses("boots"), "");
    EXPECT_TRUE(m_history.Prune(QDateTime::currentMSecsSinceEpoch(), 1));
    EXPECT_EQ(Addresses("example"), "http://news.example.org/sport");
    EXPECT_TRUE(IndexMatchesTable());
    EXPECT_TRUE(m_history.Clear());
    EXPECT_EQ(Addresses("example"), "");
    EXPECT_TRUE(IndexMatchesTable());
    // After clearing, entries still go in and out of the index.
    ASSERT_TRUE(m_history.Record(
        {{"http://again.example/", "Again", 1, true}, {"http://gone.example/", "Gone", 1, true}}));
    EXPECT_TRUE(m_history.Remove("http://gone.example/"));
    EXPECT_EQ(Addresses("again"), "http://again.example/");
    EXPECT_TRUE(IndexMatchesTable());

    // An index that cannot be read leaves the table to answer.
    ASSERT_TRUE(QSqlQuery(m_db.Database()).exec("DROP TABLE history_text"));
    EXPECT_EQ(Addresses("again"), "http://again.example/");
}

TEST_F(CompletionTest, ADamagedSubstringIndexIsMadeAgain)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto damage = [&] {
        // Every block of the index's lists made unreadable; the table itself is whole.
        return QSqlQuery(m_db.Database())
            .exec("UPDATE history_text_data SET block = randomblob(length(block)) WHERE id > 10");
    };
    // Many small writes: the index merges its lists, and a write then reads the damage.
    for (int i = 0; i < 100; ++i)
        ASSERT_TRUE(m_history.Record({{QString("http://127.0.0.1/%1").arg(i), "", now, true}}));
    ASSERT_TRUE(damage());
    for (int i = 100; i < 200; ++i)
        ASSERT_TRUE(m_history.Record({{QString("http://127.0.0.1/%1").arg(i), "", now, true}}))
            << i;
    EXPECT_TRUE(m_history.Record({{"http://new.example/", "Newly visited", now, true}}));
    EXPECT_TRUE(m_db.IsWritable());
    EXPECT_TRUE(IndexMatchesTable());

    // A look-up finds the damage first: the table answers, and the next write mends it.
    ASSERT_TRUE(damage());
    EXPECT_EQ(m_history.Match("morning news", 12).size(), 1);
    EXPECT_TRUE(m_history.Remove("http://new.example/"));
    EXPECT_TRUE(IndexMatchesTable());
    EXPECT_EQ(Addresses("newly"), "");
}

TEST(HistoryDbTest, AnOlderFileGetsTheSubstringIndexOfItsEntries)
{
    CTempHome home;
    {
        // A file as the first version wrote it.
        CProfileDatabase db;
        ASSERT_TRUE(db.Open());
        ASSERT_TRUE(db.EnsureSchema(
            "history", 1,
            {"CREATE TABLE history(address TEXT PRIMARY KEY, title TEXT NOT NULL DEFAULT '', "
             "last_visit INTEGER NOT NULL, visit_count INTEGER NOT NULL DEFAULT 1)",
             "CREATE INDEX history_rank ON history(visit_count DESC, last_visit DESC)",
             "CREATE INDEX history_age ON history(last_visit)",
             "INSERT INTO history VALUES('http://127.0.0.1/kept.html', 'Kept page', 1, 3)"}));
    }
    CProfileDatabase db;
    ASSERT_TRUE(db.Open());
    CHistoryDb history(&db);
    ASSERT_TRUE(history.Init());
    EXPECT_TRUE(history.HasTextIndex());
    EXPECT_EQ(db.SchemaVersion("history"), 2);
    const QList<HistoryEntry> entries = history.Match("kept p", 12);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].visitCount, 3);
}

namespace {
class HistoryStoreTest : public ::testing::Test
{
protected:
    void FlushStore(CHistoryStore& store)
    {
        bool bDone = false;
        store.Flush([&] { bDone = true; });
        ASSERT_TRUE(WaitFor([&] { return bDone; }));
    }
    QList<HistoryEntry> MatchStore(CHistoryStore& store, const QString& text)
    {
        QList<HistoryEntry> result;
        bool bDone = false;
        store.Match(text, 12, [&](const QList<HistoryEntry>& entries) {
            result = entries;
            bDone = true;
        });
        EXPECT_TRUE(WaitFor([&] { return bDone; }));
        return result;
    }
    CTempHome m_home;
};
} // namespace

TEST_F(HistoryStoreTest, WritesOnItsThreadAndKeepsAcrossRuns)
{
    {
        CHistoryStore store;
        QSignalSpy problems(&store, &CHistoryStore::problem);
        store.AddVisit("http://127.0.0.1/a.html", "Alpha", true);
        store.AddVisit("http://127.0.0.1/a.html", "Alpha page", false);
        store.AddVisit("http://127.0.0.1/b.html", "Beta", true);
        const QList<HistoryEntry> entries = MatchStore(store, "alpha");
        ASSERT_EQ(entries.size(), 1);
        EXPECT_EQ(entries[0].title, "Alpha page");
        store.Remove("http://127.0.0.1/b.html");
        EXPECT_EQ(problems.count(), 0);
    }
    CHistoryStore store;
    EXPECT_EQ(MatchStore(store, "127.0.0.1").size(), 1);
    store.Clear();
    EXPECT_TRUE(MatchStore(store, "127.0.0.1").isEmpty());
}

TEST_F(HistoryStoreTest, DamagedOrUnwritableFileIsSaidOnceAndBrowsingGoesOn)
{
    const struct
    {
        const char* name;
        bool bDamaged;
        bool bFoundByOther; // the downloads list opened the file first and put it aside
    } cases[] = {{"damaged", true, false},
                 {"damaged, found by another user of the file", true, true},
                 {"cannot be written", false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CTempHome home;
        const QString path = CProfileDatabase::DefaultPath();
        if (c.bDamaged)
            ASSERT_TRUE(WriteDamagedProfileDatabase());
        else
            ASSERT_TRUE(BlockDataHome(home));
        if (c.bFoundByOther) {
            CProfileDatabase other;
            ASSERT_TRUE(other.Open());
            ASSERT_TRUE(other.WasReset());
        }
        CHistoryStore store;
        QSignalSpy problems(&store, &CHistoryStore::problem);
        store.AddVisit("http://127.0.0.1/a.html", "Alpha", true);
        store.AddVisit("http://127.0.0.1/b.html", "Beta", true);
        const QList<HistoryEntry> entries = MatchStore(store, "127.0.0.1");
        EXPECT_EQ(entries.size(), c.bDamaged ? 2 : 0);
        FlushStore(store);
        ASSERT_EQ(problems.count(), 1);
        EXPECT_EQ(problems[0][0].toString().contains("damaged"), c.bDamaged);
        if (c.bDamaged) {
            EXPECT_TRUE(QFileInfo::exists(path + ".bad"));
        }
    }
}

TEST_F(HistoryStoreTest, WhatIsQueuedAtTheEndIsWrittenBeforeTheFileCloses)
{
    constexpr int kVisits = 300;
    {
        CHistoryStore store;
        for (int i = 0; i < kVisits; ++i)
            store.AddVisit(QString("http://127.0.0.1/%1.html").arg(i), "Page", true);
        // Gone at once: the worker is still busy with the first visits.
    }
    CProfileDatabase db;
    ASSERT_TRUE(db.Open());
    CHistoryDb history(&db);
    ASSERT_TRUE(history.Init());
    EXPECT_EQ(history.Count(), kVisits);
}
