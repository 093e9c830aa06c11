// The display mode's guard on Windows: an unhandled-exception filter and
// abort() for crashes, the console's control events for quitting.
#include <windows.h>

#include <atomic>
#include <csignal>
#include <mutex>
#include <utility>

#include "platform/display_guard.h"

namespace platform {

namespace {

// Long enough for a mode switch; a restore that takes longer has hung.
constexpr DWORD kRestoreMs = 2000;
// Windows ends the program this long after a console's close, logoff or
// shutdown event reaches it; the game's own quit should be done by then.
constexpr DWORD kCloseGraceMs = 4000;

std::mutex g_restoreLock;
std::function<void()> g_restore;
std::atomic<bool> g_installed{false};
std::atomic<bool> g_restoring{false};
std::atomic<bool> g_quitRequested{false};
HANDLE g_ask = nullptr;
HANDLE g_answer = nullptr;
DWORD g_restorerId = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

// Restoring the mode talks to SDL and the display driver, on a thread that a
// crash left in an unknown state: a thread of its own does it while the
// crashing one waits.
DWORD WINAPI Restorer(void*) {
    WaitForSingleObject(g_ask, INFINITE);
    {
        std::lock_guard<std::mutex> lock(g_restoreLock);
        if (g_restore) g_restore();
    }
    SetEvent(g_answer);
    return 0;
}

void RestoreOnce() {
    if (g_restoring.exchange(true) || GetCurrentThreadId() == g_restorerId || !g_ask) return;
    SetEvent(g_ask);
    WaitForSingleObject(g_answer, kRestoreMs);
}

// The crash then goes on as it would have: to the filter that was there
// before, or to Windows' error reporting.
LONG WINAPI OnCrash(EXCEPTION_POINTERS* info) {
    RestoreOnce();
    return g_previousFilter ? g_previousFilter(info) : EXCEPTION_CONTINUE_SEARCH;
}

void OnAbort(int sig) {
    RestoreOnce();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

BOOL WINAPI OnControl(DWORD event) {
    g_quitRequested = true;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;  // the game quits the normal way
    // Close, logoff, shutdown: the process ends when this returns. It usually
    // ends sooner, by the game's own quit; if not, the mode comes back here.
    Sleep(kCloseGraceMs);
    RestoreOnce();
    return TRUE;
}

} // namespace

void InstallDisplayRestoreOnSignals(std::function<void()> restore) {
    {
        std::lock_guard<std::mutex> lock(g_restoreLock);
        g_restore = std::move(restore);
    }
    if (g_installed.exchange(true)) return;
    g_ask = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    g_answer = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (g_ask && g_answer) {
        if (HANDLE thread = CreateThread(nullptr, 0, Restorer, nullptr, 0, &g_restorerId)) CloseHandle(thread);
    }
    g_previousFilter = SetUnhandledExceptionFilter(OnCrash);
    std::signal(SIGABRT, OnAbort);
    SetConsoleCtrlHandler(OnControl, TRUE);
}

bool QuitRequested() { return g_quitRequested; }

} // namespace platform
