#include "foundation/FreedMemory.h"
#include "foundation/Timing.h"

#include "support/WaitUntil.h"

#include <QFile>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <latch>
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

    // Small blocks that threads make, less than a megabyte each thread, and the main thread frees, as the pool's
    // threads make the collation keys of a sort (a key's bytes, and the key itself, which is smaller still): they go
    // back, like the main thread's own, though each thread allocates from a heap of its own.
    const struct
    {
        size_t bytes;
        int count;
    } sizes[] = {{1000, 900}, {40, 20000}};
    for (const auto &size : sizes) {
        SCOPED_TRACE(size.bytes);
        constexpr int kThreads = 16;
        // Room for the blocks made beforehand, so that the threads' heaps hold nothing else.
        std::vector<std::vector<char *>> made(kThreads);
        for (std::vector<char *> &threadBlocks : made)
            threadBlocks.reserve(size_t(size.count));
        std::latch allMade(kThreads);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&made, &allMade, &size, t] {
                for (int i = 0; i < size.count; ++i)
                    made[size_t(t)].push_back(touched(size.bytes));
                // All alive at once, as the pool's threads are, each with whatever heap the allocator gives it.
                allMade.arrive_and_wait();
            });
        for (std::thread &thread : threads)
            thread.join();
        const double madeByThreads = residentMegabytes();
        for (const std::vector<char *> &threadBlocks : made)
            for (char *block : threadBlocks)
                std::free(block);
        knvt::Timing::setScale(0.05);
        knvt::returnFreedMemoryWhenIdle();
        EXPECT_TRUE(knvt::test::waitUntil([madeByThreads] { return residentMegabytes() < madeByThreads - 10; }))
            << madeByThreads << " " << residentMegabytes();
    }
    knvt::Timing::setScale(1.0);
}
