#include "foundation/FreedMemory.h"
#include "foundation/Timing.h"

#include "support/WaitUntil.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include <unistd.h>

namespace {

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    const QList<QByteArray> fields = statm.open(QIODevice::ReadOnly) ? statm.readAll().split(' ') : QList<QByteArray>();
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// A block whose pages are all in memory, written where the compiler cannot leave the writes out.
char *touched(size_t bytes)
{
    auto *block = static_cast<char *>(std::malloc(bytes));
    std::memset(block, 1, bytes);
    asm volatile("" : : "r"(block) : "memory");
    return block;
}

} // namespace

// 64 MB of small blocks freed but for the last, which holds the end of the heap: the allocator alone would keep them;
// then, after one large block freed, it would make a thread's smaller block from the thread's heap and keep it there.
TEST(FreedMemory, WhatWorkFreedGoesBackOnceNoWorkEndedForAMomentAndLargeBlocksAtOnce)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer's allocator keeps what is freed in a quarantine of its own";
#endif
    knvt::Timing::setScale(0.05);
    std::vector<char *> blocks;
    for (int i = 0; i < 64 * 1024; ++i)
        blocks.push_back(touched(1000));
    for (size_t i = 0; i + 1 < blocks.size(); ++i)
        std::free(blocks[i]);
    const double held = residentMegabytes();
    knvt::returnFreedMemoryWhenIdle();
    EXPECT_GT(residentMegabytes(), held - 16) << "went back before the program was idle";
    EXPECT_TRUE(knvt::test::waitUntil([held] { return residentMegabytes() < held - 48; })) << held;
    std::free(blocks.back());
    knvt::Timing::setScale(1.0);

    knvt::returnLargeBlocksWhenFreed();
    std::free(touched(30u << 20));
    double large = 0;
    std::thread([&large] {
        char *block = touched(24u << 20);
        large = residentMegabytes();
        std::free(block);
    }).join();
    EXPECT_LT(residentMegabytes(), large - 16);
}
