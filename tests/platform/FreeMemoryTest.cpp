// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FreeMemory.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include <unistd.h>

namespace {
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
// The process's resident memory, in bytes.
qint64 ResidentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : -1;
}

TEST(FreeMemoryTest, FreedPagesInTheMiddleOfTheHeapGoBackToTheSystem)
{
    // 64 MiB in small blocks; freeing all but the last leaves a hole the C library does not
    // give back by itself (only the top of its heap shrinks).
    constexpr int kBlocks = 8192;
    constexpr size_t kBlockSize = 8 * 1024;
    constexpr qint64 kTotal = qint64(kBlocks) * kBlockSize;
    const qint64 before = ResidentBytes();
    std::vector<void*> blocks(kBlocks);
    for (void*& p : blocks) {
        p = std::malloc(kBlockSize);
        std::memset(p, 1, kBlockSize);
    }
    for (int i = 0; i + 1 < kBlocks; ++i)
        std::free(blocks[i]);
    const qint64 held = ResidentBytes();
    ASSERT_GT(held - before, kTotal / 2) << "the freed blocks are still resident";

    ReleaseFreeMemorySoon();
    ReleaseFreeMemorySoon(); // calls close together release once, a moment later
    EXPECT_TRUE(QTest::qWaitFor([&] { return held - ResidentBytes() > kTotal / 2; }, 20000))
        << "resident " << ResidentBytes() << " bytes, " << held << " before the release";
    std::free(blocks.back());
}
#endif
} // namespace
