#include "foundation/StartUpSettings.h"

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

// A process applies the start-up settings as the program's only thread, or they are not the program's: a benchmark
// whose process started a thread first measures something else. Each case runs in a process of its own, forked with
// this thread alone.
TEST(StartUpSettings, AreTheProgramsOnlyWhenAppliedBeforeAnyOtherThreadRan)
{
    const struct
    {
        int threadsBefore;
        bool applied;
    } cases[] = {{0, true}, {1, false}, {3, false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.threadsBefore);
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            std::latch done(1);
            std::vector<std::thread> threads;
            for (int i = 0; i < c.threadsBefore; ++i)
                threads.emplace_back([&done] { done.wait(); });
            knvt::applyStartUpSettings();
            const bool applied = knvt::startUpSettingsApplied();
            done.count_down();
            for (std::thread &thread : threads)
                thread.join();
            _exit(applied ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status) == 0, c.applied);
    }
}
