#pragma once

// The few things the game needs of the page it runs in. Each call that gives
// the browser the time returns into the same C++ stack (Asyncify), so the
// game's own loops and waits run unchanged.
namespace web {

// Lets the browser run what it has pending (input, sound, drawing) and comes
// back at once: some 20 microseconds when it has nothing to do.
void GiveTurn();

// Gives the browser the time for at most `us` microseconds; a key or a click of
// the player ends it early. Short stretches are single turns.
void Sleep(double us);

// Display refreshes of the page so far: presenting more than once per refresh
// would only be drawn over unseen.
unsigned FrameCount();

// Tells the page that the game has ended (status 0) or failed to run.
void Ended(int status, const char* message);

} // namespace web
