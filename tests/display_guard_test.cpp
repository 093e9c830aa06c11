#include "platform/display_guard.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace platform {
namespace {

// Each case runs in a child of its own: the handlers it installs, and the
// crash it provokes, stay out of the test runner.
struct ChildOutcome {
    int status = 0;
    std::string report;  // what the child wrote to its report pipe
};

int g_report = -1;

void Report(std::string_view text) {
    if (write(g_report, text.data(), text.size()) < 0) _exit(99);
}

ChildOutcome RunInChild(const std::function<void()>& body) {
    int fds[2];
    if (pipe(fds) != 0) ADD_FAILURE() << "pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        g_report = fds[1];
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        alarm(20);  // a child that hangs dies of SIGALRM rather than stall the run
        body();
        _exit(0);
    }
    close(fds[1]);
    ChildOutcome outcome;
    char buffer[64];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) outcome.report.append(buffer, static_cast<size_t>(n));
    close(fds[0]);
    waitpid(pid, &outcome.status, 0);
    return outcome;
}

void InstallReporting(std::string_view marker = "restored;") {
    InstallDisplayRestoreOnSignals([marker] { Report(marker); });
}

void ExpectKilledBy(const ChildOutcome& outcome, int sig) {
    ASSERT_TRUE(WIFSIGNALED(outcome.status)) << "status " << outcome.status << ", report " << outcome.report;
    EXPECT_EQ(WTERMSIG(outcome.status), sig) << strsignal(WTERMSIG(outcome.status));
}

void ExpectExitedNormally(const ChildOutcome& outcome) {
    ASSERT_TRUE(WIFEXITED(outcome.status)) << "status " << outcome.status << ", report " << outcome.report;
    EXPECT_EQ(WEXITSTATUS(outcome.status), 0);
}

class CrashSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(CrashSignalTest, RestoresOnceThenDiesOfTheSameSignal) {
    const int sig = GetParam();
    const ChildOutcome outcome = RunInChild([sig] {
        InstallReporting();
        if (sig == SIGABRT) std::abort();
        std::raise(sig);
        Report("survived;");
    });
    ExpectKilledBy(outcome, sig);
    EXPECT_EQ(outcome.report, "restored;");
}

INSTANTIATE_TEST_SUITE_P(DisplayGuard, CrashSignalTest, ::testing::Values(SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT),
                         [](const auto& p) { return std::string(sigabbrev_np(p.param)); });

volatile bool g_keepGoing = true;

int RecurseForever(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (!g_keepGoing) return frame[0];
    return RecurseForever(depth + 1) + frame[0];
}

TEST(DisplayGuardTest, RestoresOnRealInvalidAccess) {
    const ChildOutcome outcome = RunInChild([] {
        void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (page == MAP_FAILED) _exit(98);
        InstallReporting();
        *static_cast<volatile int*>(page) = 1;
    });
    ExpectKilledBy(outcome, SIGSEGV);
    EXPECT_EQ(outcome.report, "restored;");
}

TEST(DisplayGuardTest, RestoresOnStackOverflow) {
    const ChildOutcome outcome = RunInChild([] {
        const rlimit smallStack{1 << 20, 1 << 20};
        setrlimit(RLIMIT_STACK, &smallStack);
        InstallReporting();
        RecurseForever(0);
    });
    ExpectKilledBy(outcome, SIGSEGV);
    EXPECT_EQ(outcome.report, "restored;");
}

pid_t ThreadId() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// Where the restore ran: its thread, and whether that thread was inside a
// signal handler on the handlers' stack at the time.
void InstallReportingWhere() {
    InstallDisplayRestoreOnSignals([] {
        stack_t stack{};
        sigaltstack(nullptr, &stack);
        Report("restorer=" + std::to_string(ThreadId()) + ((stack.ss_flags & SS_ONSTACK) ? " in handler;" : ";"));
    });
}

class RestoreThreadTest : public ::testing::TestWithParam<bool> {};

TEST_P(RestoreThreadTest, RestoresOutsideTheHandlerOnAThreadOfItsOwn) {
    const bool fromSecondThread = GetParam();
    const ChildOutcome outcome = RunInChild([fromSecondThread] {
        InstallReportingWhere();
        auto crash = [] {
            Report("crasher=" + std::to_string(ThreadId()) + ";");
            std::raise(SIGSEGV);
        };
        if (fromSecondThread) std::thread(crash).join();
        else crash();
    });
    ExpectKilledBy(outcome, SIGSEGV);
    const size_t crasher = outcome.report.find("crasher="), restorer = outcome.report.find("restorer=");
    ASSERT_NE(crasher, std::string::npos) << outcome.report;
    ASSERT_NE(restorer, std::string::npos) << outcome.report;
    const std::string crashing = outcome.report.substr(crasher + 8, outcome.report.find(';', crasher) - crasher - 8);
    const std::string restoring = outcome.report.substr(restorer + 9, outcome.report.find(';', restorer) - restorer - 9);
    EXPECT_NE(crashing, restoring) << outcome.report;
    EXPECT_EQ(restoring.find("handler"), std::string::npos) << outcome.report;
    EXPECT_NE(restoring, std::to_string(getpid())) << "not the main thread either";
}

INSTANTIATE_TEST_SUITE_P(DisplayGuard, RestoreThreadTest, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "CrashOnASecondThread" : "CrashOnTheMainThread"; });

TEST(DisplayGuardTest, CrashInsideRestoreDoesNotRestoreAgain) {
    const ChildOutcome outcome = RunInChild([] {
        InstallDisplayRestoreOnSignals([] {
            Report("restored;");
            std::raise(SIGBUS);
        });
        std::raise(SIGSEGV);
    });
    ExpectKilledBy(outcome, SIGBUS);
    EXPECT_EQ(outcome.report, "restored;");
}

TEST(DisplayGuardTest, HangingRestoreStillEndsInTheCrash) {
    const ChildOutcome outcome = RunInChild([] {
        InstallDisplayRestoreOnSignals([] {
            Report("restored;");
            for (;;) pause();
        });
        std::raise(SIGFPE);
    });
    ExpectKilledBy(outcome, SIGFPE);
    EXPECT_EQ(outcome.report, "restored;");
}

TEST(DisplayGuardTest, InstallingAgainReplacesTheCallback) {
    const ChildOutcome outcome = RunInChild([] {
        InstallReporting("first;");
        InstallReporting("second;");
        std::raise(SIGHUP);  // a quit handler chained to itself would never return
        Report(QuitRequested() ? "quit;" : "no quit;");
        std::raise(SIGSEGV);
    });
    ExpectKilledBy(outcome, SIGSEGV);
    EXPECT_EQ(outcome.report, "quit;second;");
}

class QuitSignalTest : public ::testing::TestWithParam<int> {};

TEST_P(QuitSignalTest, OnlyRequestsQuit) {
    const int sig = GetParam();
    const ChildOutcome outcome = RunInChild([sig] {
        InstallReporting();
        Report(QuitRequested() ? "quit;" : "running;");
        std::raise(sig);
        Report(QuitRequested() ? "quit;" : "running;");
    });
    ExpectExitedNormally(outcome);
    EXPECT_EQ(outcome.report, "running;quit;");
}

INSTANTIATE_TEST_SUITE_P(DisplayGuard, QuitSignalTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& p) { return std::string(sigabbrev_np(p.param)); });

TEST(DisplayGuardTest, IgnoredHangupStaysIgnored) {
    const ChildOutcome outcome = RunInChild([] {
        std::signal(SIGHUP, SIG_IGN);
        InstallReporting();
        std::raise(SIGHUP);
        Report(QuitRequested() ? "quit;" : "running;");
    });
    ExpectExitedNormally(outcome);
    EXPECT_EQ(outcome.report, "running;");
}

volatile std::sig_atomic_t g_earlierHandlerRan = 0;

TEST(DisplayGuardTest, EarlierQuitHandlerStillRuns) {
    const ChildOutcome outcome = RunInChild([] {
        std::signal(SIGTERM, [](int) { g_earlierHandlerRan = 1; });
        InstallReporting();
        std::raise(SIGTERM);
        Report(g_earlierHandlerRan ? "earlier;" : "");
        Report(QuitRequested() ? "quit;" : "running;");
    });
    ExpectExitedNormally(outcome);
    EXPECT_EQ(outcome.report, "earlier;quit;");
}

} // namespace
} // namespace platform
