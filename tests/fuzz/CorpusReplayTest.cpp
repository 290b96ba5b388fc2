// SPDX-License-Identifier: GPL-3.0-or-later
// Every kept fuzz input (the seed corpora and the inputs that once broke a rule) fed again
// to the function its fuzzer drives: a fault fixed once stays fixed.
#include "FuzzEntries.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstdio>

namespace {
struct FuzzTarget
{
    const char* name;
    void (*entry)(const uint8_t*, size_t);
};

const FuzzTarget kTargets[] = {
    {"registry", FuzzRegistryFile},   {"shortcut", FuzzShortcutFile},
    {"handoff", FuzzHandOffRecord},   {"keytable", FuzzKeyTable},
    {"favorites", FuzzFavoritesWalk}, {"session", FuzzSessionFile},
};

void PrintTo(const FuzzTarget& target, std::ostream* os)
{
    *os << target.name;
}

class CorpusReplayTest : public ::testing::TestWithParam<FuzzTarget>
{
};

TEST_P(CorpusReplayTest, EveryKeptInputKeepsTheRules)
{
    const QString name = QLatin1String(GetParam().name);
    int replayed = 0;
    for (const char* kind : {"corpus", "crashes"}) {
        QDir dir(QStringLiteral(NUV_SOURCE_DIR "/fuzz/%1/%2").arg(QLatin1String(kind), name));
        for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
            QFile input(dir.filePath(file));
            ASSERT_TRUE(input.open(QIODevice::ReadOnly)) << file.toStdString();
            const QByteArray bytes = input.readAll();
            // A broken rule aborts: the name printed last is the input that broke it.
            std::fprintf(stderr, "replaying %s/%s\n", kind, qPrintable(file));
            GetParam().entry(reinterpret_cast<const uint8_t*>(bytes.constData()),
                             size_t(bytes.size()));
            ++replayed;
        }
    }
    // The seed corpus is part of the repository; an empty replay would prove nothing.
    EXPECT_GT(replayed, 0);
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplayTest, ::testing::ValuesIn(kTargets),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace
