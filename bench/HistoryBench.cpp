// SPDX-License-Identifier: GPL-3.0-or-later
// The address field's completion list against a history of 100,000 visited pages: for each
// key of a few words typed one key at a time, the time from the key press on the field to
// the list showing the answer for it (the history store's worker thread, the query, the
// ranking with a typed list and favorites, the list filled and placed), and beside it the
// query alone and the query it replaced. The words: one that many titles hold, one
// that few hold, and text that matches nothing (which the query has to look for everywhere).
#include "app/AddressCompleter.h"
#include "history/HistoryDb.h"
#include "history/HistoryStore.h"
#include "platform/ProfileDatabase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {
constexpr int kEntries = 100000;
constexpr int kRounds = 5;
constexpr int kMaxRows = 12;
constexpr qint64 kDay = 24 * 60 * 60 * 1000;

const char* const kWords[] = {
    "news",   "weather", "python", "library", "recipe", "garden", "travel", "review",
    "guide",  "history", "market", "sports",  "music",  "video",  "forum",  "travel",
    "linux",  "kernel",  "design", "camera",  "health", "school", "movies", "science",
    "energy", "finance", "report", "archive", "photo",  "manual", "notes",  "tutorial",
};

// A history of kEntries pages on 2,000 sites, titles of three to six words, visited 1 to 60
// times in the last 80 days (the store drops older ones when it opens the file).
bool Generate(const QString& path)
{
    CProfileDatabase db(path);
    CHistoryDb history(&db);
    if (!db.Open() || !history.Init())
        return false;
    QRandomGenerator random(24);
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QList<HistoryVisit> visits;
    for (int i = 0; i < kEntries; ++i) {
        QStringList title;
        const int nWords = 3 + int(random.bounded(4));
        for (int w = 0; w < nWords; ++w)
            title << QString::fromLatin1(kWords[random.bounded(int(std::size(kWords)))]);
        const QString address = QStringLiteral("https://site%1.example.org/%2/page-%3.html")
                                    .arg(random.bounded(2000))
                                    .arg(title.first())
                                    .arg(i);
        const qint64 last = now - qint64(random.bounded(80 * 24)) * kDay / 24;
        visits.append({address, title.join(QLatin1Char(' ')), last, true});
    }
    QSqlQuery counts(db.Database());
    return history.Record(visits) &&
           counts.exec(QStringLiteral("UPDATE history SET visit_count = 1 + abs(random()) % 60")) &&
           history.Count() == kEntries;
}

// The workspace's part: the history through its store, ranked with a typed list and
// favorites, as the program's form does it.
class CBenchSource : public ICompletionSource
{
public:
    explicit CBenchSource(CHistoryStore* pStore) : m_pStore(pStore)
    {
        for (int i = 0; i < 25; ++i)
            m_typed << QStringLiteral("http://typed%1.example.com/").arg(i);
        for (int i = 0; i < 500; ++i)
            m_favorites.append({ECompletionKind::Favorite, QStringLiteral("Favorite %1").arg(i),
                                QStringLiteral("https://favorite%1.example.net/").arg(i)});
    }
    void QueryCompletions(const QString& text, CompletionsDone done) override
    {
        m_pStore->Match(text.trimmed(), kMaxRows, [this, text, done](const auto& history) {
            ++m_nAnswers;
            done(RankCompletions(text, m_typed, m_favorites, history, kMaxRows));
        });
    }
    void RemoveCompletion(const CompletionRow&) override {}

    int m_nAnswers = 0;

private:
    CHistoryStore* m_pStore;
    QStringList m_typed;
    QList<CompletionRow> m_favorites;
};

struct Figures
{
    double worst = 0;
    double total = 0;
    int keys = 0;
    void Add(double ms)
    {
        worst = std::max(worst, ms);
        total += ms;
        ++keys;
    }
};

// Types `word` into the field one key at a time; the time of each key until its answer is
// shown. False when an answer did not come within 10 s.
bool TypeWord(QLineEdit* pEdit, CBenchSource* pSource, const QString& word, Figures* pFigures)
{
    pEdit->clear();
    for (const QChar c : word) {
        const int before = pSource->m_nAnswers;
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QCoreApplication::sendEvent(pEdit, &press);
        while (pSource->m_nAnswers == before) {
            if (timer.elapsed() > 10000)
                return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        }
        pFigures->Add(timer.nsecsElapsed() / 1e6);
    }
    return true;
}

// The query alone on a connection of this thread, best of a few rounds per key: Match as the
// word is typed (the keys in turn, each able to narrow the answer before it), Match for each
// text on its own, and the single query it replaced (the whole walk in rank order through
// the index), taken in turns on one connection.
struct QueryFigures
{
    Figures typed;
    Figures single;
    Figures walk;
};

double Time(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e6;
}

QueryFigures QueryAlone(const QString& path, const QString& word)
{
    CProfileDatabase db(path);
    QueryFigures figures;
    if (!db.Open() || !CHistoryDb(&db).Init())
        return figures;
    QSqlQuery walk(db.Database());
    walk.setForwardOnly(true);
    walk.prepare(QStringLiteral(
        "SELECT address, title, last_visit, visit_count FROM history INDEXED BY history_rank "
        "WHERE address LIKE ? OR title LIKE ? ORDER BY visit_count DESC, last_visit DESC "
        "LIMIT 12"));
    std::vector<double> typed(word.size(), 1e300);
    std::vector<double> single(word.size(), 1e300);
    std::vector<double> whole(word.size(), 1e300);
    for (int r = 0; r < kRounds; ++r) {
        CHistoryDb asTyped(&db);
        asTyped.Init();
        for (int n = 1; n <= word.size(); ++n) {
            const QString text = word.left(n);
            typed[n - 1] = std::min(typed[n - 1], Time([&] { asTyped.Match(text, kMaxRows); }));
            CHistoryDb alone(&db);
            alone.Init();
            single[n - 1] = std::min(single[n - 1], Time([&] { alone.Match(text, kMaxRows); }));
            whole[n - 1] = std::min(whole[n - 1], Time([&] {
                                        const QString pattern = '%' + text + '%';
                                        walk.addBindValue(pattern);
                                        walk.addBindValue(pattern);
                                        if (walk.exec())
                                            while (walk.next()) {
                                            }
                                    }));
        }
    }
    for (int i = 0; i < int(word.size()); ++i) {
        figures.typed.Add(typed[i]);
        figures.single.Add(single[i]);
        figures.walk.Add(whole[i]);
    }
    return figures;
}
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/history.sqlite");
    QElapsedTimer timer;
    timer.start();
    if (!dir.isValid() || !Generate(path)) {
        std::fprintf(stderr, "cannot make the history database\n");
        return 1;
    }
    std::printf("history of %d pages made in %.0f ms\n", kEntries, timer.elapsed() / 1.0);

    QWidget window;
    auto* pEdit = new QLineEdit(&window);
    QVBoxLayout layout(&window);
    layout.addWidget(pEdit);
    window.resize(800, 60);
    window.show();
    window.activateWindow();
    pEdit->setFocus();
    CHistoryStore store(path);
    CBenchSource source(&store);
    CAddressCompleter completer(pEdit, [&source]() -> ICompletionSource* { return &source; });

    const struct
    {
        const char* what;
        const char* word;
    } words[] = {
        {"held by many titles", "weather"},
        {"held by few (a site)", "site1234.exam"},
        {"matches nothing", "zqxwvy"},
    };
    std::printf("per key, key press on the field -> list shown (%d rounds of each word)\n",
                kRounds);
    bool ok = true;
    for (const auto& w : words) {
        Figures keys;
        for (int r = 0; r < kRounds && ok; ++r)
            ok = TypeWord(pEdit, &source, QString::fromLatin1(w.word), &keys);
        const QueryFigures query = QueryAlone(path, QString::fromLatin1(w.word));
        const auto mean = [](const Figures& f) { return f.total / std::max(1, f.keys); };
        std::printf("  %-22s \"%s\" (list shown: %s)\n", w.what, w.word,
                    completer.IsShown() ? "yes" : "no");
        std::printf("    key -> list:           mean %7.1f ms  worst %7.1f ms\n", mean(keys),
                    keys.worst);
        std::printf("    Match, as typed:       mean %7.1f ms  worst %7.1f ms\n", mean(query.typed),
                    query.typed.worst);
        std::printf("    Match, each text alone: mean %6.1f ms  worst %7.1f ms\n",
                    mean(query.single), query.single.worst);
        std::printf("    whole walk (before):   mean %7.1f ms  worst %7.1f ms  (%.1f x Match "
                    "alone)\n",
                    mean(query.walk), query.walk.worst, mean(query.walk) / mean(query.single));
    }
    if (!ok)
        std::fprintf(stderr, "an answer did not come\n");
    return ok ? 0 : 1;
}
