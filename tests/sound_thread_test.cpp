#include "platform/sdl/sound_thread.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

// Each case on a thread of its own, so that the test's thread stays as it is.
TEST(SoundThreadTest, LowestRealtimePriorityNotPassedToChildrenAndARealtimeThreadLeftAsItIs) {
    bool allowed = false;
    std::thread([&] {
        const platform::ThreadScheduling s = platform::RaiseSoundThread();
        if (!(allowed = s.realtime)) return;
        EXPECT_EQ(s.level, sched_get_priority_min(SCHED_RR));
        const pid_t child = fork();
        if (child == 0) _exit(sched_getscheduler(0) == SCHED_OTHER ? 0 : 1);
        int status = -1;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a child was born realtime";
    }).join();
    if (!allowed) GTEST_SKIP() << "this system lets no thread of ours be realtime";
    std::thread([] {
        sched_param p{};
        p.sched_priority = sched_get_priority_min(SCHED_FIFO) + 2;
        ASSERT_EQ(sched_setscheduler(0, SCHED_FIFO, &p), 0);
        const platform::ThreadScheduling s = platform::RaiseSoundThread();
        EXPECT_EQ(sched_getscheduler(0), SCHED_FIFO);
        EXPECT_EQ(s.level, p.sched_priority);
    }).join();
    EXPECT_FALSE(platform::CurrentThreadScheduling().realtime);
}
