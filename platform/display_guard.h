#pragma once
#include <functional>

namespace platform {

// Makes sure the user's display mode comes back however the program ends.
// On a crash (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT) `restore` runs once, on
// a thread kept for it and outside any signal handler, while the crashing
// thread waits for it (2 s at most); the crash then goes on as it would have,
// core dump included. `restore` must not let the game's events run: the
// game's own thread may be the one that crashed, or still be running. SIGINT, SIGTERM
// and SIGHUP only set QuitRequested(), for the main loop to quit the normal way;
// a handler that was there before (SDL's, which posts SDL_QUIT) still runs, and
// a quit signal that was being ignored (nohup) stays ignored. Installing again
// only replaces `restore`. On Windows (display_guard_windows.cpp) the crashes
// are an unhandled exception (the filter that was there before then runs) and
// abort(), and Ctrl+C, Ctrl+Break and the console's close set QuitRequested().
void InstallDisplayRestoreOnSignals(std::function<void()> restore);

bool QuitRequested();

} // namespace platform
