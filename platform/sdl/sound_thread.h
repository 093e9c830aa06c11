#pragma once

// The thread that feeds the sound device must not wait behind busy programs:
// a late buffer is a gap the player hears. SDL asks for a high nice level,
// which a program that never sleeps still outruns now and then.
namespace platform {

struct ThreadScheduling {
    bool realtime = false;  // round-robin or FIFO
    int level = 0;          // the realtime priority, or else the nice level
};

// How the calling thread is scheduled now.
ThreadScheduling CurrentThreadScheduling();

// Makes the calling thread realtime at the lowest priority, below the sound
// server's own threads, where the system allows it; a thread already realtime
// is left as it is, and where it is not allowed the nice level is kept or
// raised. Returns how the thread is scheduled afterwards. Not on Windows, where
// SDL gives its sound thread the highest class of its own.
ThreadScheduling RaiseSoundThread();

} // namespace platform
