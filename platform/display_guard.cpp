#include "platform/display_guard.h"

#include <fcntl.h>
#include <sched.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <mutex>
#include <thread>
#include <utility>

namespace platform {

namespace {

constexpr std::array kCrashSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::array kQuitSignals{SIGINT, SIGTERM, SIGHUP};
// Long enough for a mode switch; a restore that takes longer has hung.
constexpr unsigned kRestoreSeconds = 2;

std::mutex g_restoreLock;
std::function<void()> g_restore;
volatile std::sig_atomic_t g_restoring = 0;
volatile std::sig_atomic_t g_crashSignal = 0;
volatile std::sig_atomic_t g_quitRequested = 0;
std::array<struct sigaction, kQuitSignals.size()> g_previousQuit{};
bool g_installed = false;
// The crashing thread asks over the first pipe, the restoring one answers over the second.
int g_ask[2] = {-1, -1};
int g_answer[2] = {-1, -1};
pthread_t g_restorer{};
std::atomic<bool> g_restorerUp{false};
// A stack overflow leaves no room to run the handler on the thread's own stack.
alignas(64) std::array<char, 256 * 1024> g_handlerStack;

[[noreturn]] void Die(int sig) {
    std::signal(sig, SIG_DFL);
    std::raise(sig);  // not blocked: the crash handlers run with SA_NODEFER
    _exit(128 + sig);  // only if the signal was somehow survived
}

void OnRestoreTimeout(int) { Die(g_crashSignal); }

// Restoring the mode talks to SDL and the display server, which nothing in a
// signal handler may do. A thread of its own waits for a crash and restores
// the mode outside any handler, while the crashing thread waits for it.
void Restorer() {
    sigset_t only{};
    sigfillset(&only);
    for (int sig : kCrashSignals) sigdelset(&only, sig);
    pthread_sigmask(SIG_SETMASK, &only, nullptr);
    g_restorerUp = true;
    int sig = 0;
    while (read(g_ask[0], &sig, sizeof sig) < 0 && errno == EINTR) {
    }
    {
        std::lock_guard<std::mutex> lock(g_restoreLock);
        if (g_restore) g_restore();
    }
    const char done = 1;
    while (write(g_answer[1], &done, 1) < 0 && errno == EINTR) {
    }
    for (;;) pause();
}

// Only async-signal-safe calls here. The restore may still deadlock on a lock
// the crash left held; the alarm turns that back into the original crash.
void OnCrash(int sig) {
    if (!g_restoring) {
        g_restoring = 1;
        g_crashSignal = sig;
        // pthread_self only reads the thread pointer: safe in a handler.
        if (!g_restorerUp || !pthread_equal(pthread_self(), g_restorer)) {
            struct sigaction timeout {};
            timeout.sa_handler = OnRestoreTimeout;
            timeout.sa_flags = SA_ONSTACK;
            sigemptyset(&timeout.sa_mask);
            sigaction(SIGALRM, &timeout, nullptr);
            alarm(kRestoreSeconds);
            if (write(g_ask[1], &sig, sizeof sig) == sizeof sig) {
                char done = 0;
                while (read(g_answer[0], &done, 1) < 0 && errno == EINTR) {
                }
            }
            alarm(0);
        }
    }
    Die(sig);
}

void OnQuit(int sig, siginfo_t* info, void* context) {
    g_quitRequested = 1;
    for (size_t i = 0; i < kQuitSignals.size(); ++i) {
        if (kQuitSignals[i] != sig) continue;
        const struct sigaction& previous = g_previousQuit[i];
        if (previous.sa_flags & SA_SIGINFO) {
            previous.sa_sigaction(sig, info, context);
        } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
            previous.sa_handler(sig);
        }
    }
}

} // namespace

void InstallDisplayRestoreOnSignals(std::function<void()> restore) {
    {
        std::lock_guard<std::mutex> lock(g_restoreLock);
        g_restore = std::move(restore);
    }
    if (g_installed) return;
    g_installed = true;

    if (pipe2(g_ask, O_CLOEXEC) == 0 && pipe2(g_answer, O_CLOEXEC) == 0) {
        std::thread restorer(Restorer);
        g_restorer = restorer.native_handle();
        restorer.detach();
        while (!g_restorerUp) sched_yield();
    }

    stack_t stack{};
    stack.ss_sp = g_handlerStack.data();
    stack.ss_size = g_handlerStack.size();
    sigaltstack(&stack, nullptr);

    struct sigaction crash {};
    crash.sa_handler = OnCrash;
    crash.sa_flags = SA_ONSTACK | SA_NODEFER;
    sigemptyset(&crash.sa_mask);
    for (int sig : kCrashSignals) sigaction(sig, &crash, nullptr);

    struct sigaction quit {};
    quit.sa_sigaction = OnQuit;
    quit.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&quit.sa_mask);
    for (size_t i = 0; i < kQuitSignals.size(); ++i) {
        sigaction(kQuitSignals[i], nullptr, &g_previousQuit[i]);
        const bool ignored = !(g_previousQuit[i].sa_flags & SA_SIGINFO) && g_previousQuit[i].sa_handler == SIG_IGN;
        if (!ignored) sigaction(kQuitSignals[i], &quit, nullptr);
    }
}

bool QuitRequested() { return g_quitRequested != 0; }

} // namespace platform
