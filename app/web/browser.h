#pragma once

// The few things the game needs of the page it runs in. Each call that gives
// the browser the time returns into the same C++ stack (Asyncify), so the
// game's own loops and waits run unchanged.
#include <cstdint>

namespace web {

// Lets the browser run what it has pending (input, sound, drawing) and comes
// back at once: some 20 microseconds when it has nothing to do.
void GiveTurn();

// Gives the browser the time for at most `us` microseconds; a key or a click of
// the player ends it early. Stretches shorter than kSingleTurnUs are a single
// turn, since the browser's timers cannot be set finer than a millisecond.
constexpr double kSingleTurnUs = 2000;
void Sleep(double us);

// Display refreshes of the page so far: presenting more than once per refresh
// would only be drawn over unseen.
unsigned FrameCount();

// Puts rows `top` .. `top` + `rows` - 1 of a picture into the page's canvas:
// `rgba` holds R, G, B, A bytes per pixel, rows top to bottom, always at the
// same place for the same picture. The page shows the canvas at its next
// refresh, so a picture put in bands must be whole before the next turn.
void ShowRows(const uint32_t* rgba, int width, int height, int top, int rows);

// Asks the page to switch its fullscreen on or off, as its own button does.
void ToggleFullscreen();

// Tells the page that the game has ended (status 0) or failed to run.
void Ended(int status, const char* message);

} // namespace web
