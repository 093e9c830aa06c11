#include "platform/display_guard.h"

#include <unistd.h>

#include <array>
#include <csignal>
#include <utility>

namespace platform {

namespace {

constexpr std::array kCrashSignals{SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::array kQuitSignals{SIGINT, SIGTERM, SIGHUP};
// Long enough for a mode switch; a restore that takes longer has hung.
constexpr unsigned kRestoreSeconds = 2;

std::function<void()> g_restore;
volatile std::sig_atomic_t g_restoring = 0;
volatile std::sig_atomic_t g_crashSignal = 0;
volatile std::sig_atomic_t g_quitRequested = 0;
std::array<struct sigaction, kQuitSignals.size()> g_previousQuit{};
bool g_installed = false;
// A stack overflow leaves no room to run the handler on the thread's own stack.
alignas(64) std::array<char, 256 * 1024> g_handlerStack;

[[noreturn]] void Die(int sig) {
    std::signal(sig, SIG_DFL);
    std::raise(sig);  // not blocked: the crash handlers run with SA_NODEFER
    _exit(128 + sig);  // only if the signal was somehow survived
}

void OnRestoreTimeout(int) { Die(g_crashSignal); }

// The restore callback is not async-signal-safe: it talks to SDL and the
// display server, possibly while the crash holds one of their locks. The
// process is dying anyway and a desktop left at 640x480 is the worse outcome;
// the alarm turns a restore that deadlocks back into the original crash.
void OnCrash(int sig) {
    if (!g_restoring) {
        g_restoring = 1;
        g_crashSignal = sig;
        struct sigaction timeout {};
        timeout.sa_handler = OnRestoreTimeout;
        timeout.sa_flags = SA_ONSTACK;
        sigemptyset(&timeout.sa_mask);
        sigaction(SIGALRM, &timeout, nullptr);
        alarm(kRestoreSeconds);
        if (g_restore) g_restore();
        alarm(0);
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
    g_restore = std::move(restore);
    if (g_installed) return;
    g_installed = true;

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
