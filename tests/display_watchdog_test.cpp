// Start-up's guard against a display server that never answers.
#include "app/desktop/display_watchdog.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <thread>

namespace {

using namespace std::chrono_literals;
using desktop::DisplayWatchdog;

// What a connection to a mute display server does.
[[noreturn]] void HangForEver() {
    for (;;) std::this_thread::sleep_for(1h);
}

bool Blocked(int sig) {
    sigset_t now;
    pthread_sigmask(SIG_BLOCK, nullptr, &now);
    return sigismember(&now, sig) == 1;
}

class DisplayWatchdogTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(DisplayWatchdogTest, GivesUpWithTheMessageAndStatusOne) {
    EXPECT_EXIT(
        {
            DisplayWatchdog watchdog(50ms, "no display available (the display server at :9 does not answer)");
            HangForEver();
        },
        ::testing::ExitedWithCode(1), "^trakmor: no display available \\(the display server at :9 does not answer\\)\n$");
}

TEST_F(DisplayWatchdogTest, AQuitSignalMeanwhileEndsTheProgramAsItWouldUnhandled) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(sig));
        EXPECT_EXIT(
            {
                std::signal(sig, SIG_DFL);
                DisplayWatchdog watchdog(1h, "no display available");
                kill(getpid(), sig);
                HangForEver();
            },
            ::testing::KilledBySignal(sig), "");
    }
}

TEST_F(DisplayWatchdogTest, AQuitSignalIgnoredOnEntryStaysIgnored) {
    EXPECT_EXIT(
        {
            std::signal(SIGHUP, SIG_IGN);
            {
                DisplayWatchdog watchdog(1h, "no display available");
                kill(getpid(), SIGHUP);
                std::this_thread::sleep_for(100ms);
            }
            std::exit(Blocked(SIGHUP) ? 3 : 0);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(DisplayWatchdogTest, AnAnswerInTimeEndsTheWatchAndPutsTheSignalMaskBack) {
    sigset_t hup;
    sigemptyset(&hup);
    sigaddset(&hup, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &hup, nullptr);
    {
        // An hour's limit: a watchdog that did not stop when told would hang the test.
        DisplayWatchdog watchdog(1h, "no display available");
        EXPECT_TRUE(Blocked(SIGTERM));
        EXPECT_TRUE(Blocked(SIGINT));
    }
    EXPECT_FALSE(Blocked(SIGTERM));
    EXPECT_FALSE(Blocked(SIGINT));
    EXPECT_TRUE(Blocked(SIGHUP)) << "a signal blocked before must stay blocked";
    pthread_sigmask(SIG_UNBLOCK, &hup, nullptr);
}

} // namespace
