#include "app/web/browser.h"

#include <emscripten.h>

// The promises behind these live in pre.js (Module.trakmor).
EM_ASYNC_JS(void, trakmor_turn, (), { await Module.trakmor.turn(); });
EM_ASYNC_JS(void, trakmor_sleep, (double us), { await Module.trakmor.sleep(us); });
extern "C" unsigned trakmor_frames();  // library.js
EM_JS(void, trakmor_ended, (int status, const char* message), {
    Module.trakmor.ended(status, UTF8ToString(message));
});

namespace web {

void GiveTurn() { trakmor_turn(); }
void Sleep(double us) { trakmor_sleep(us); }
unsigned FrameCount() { return trakmor_frames(); }
void Ended(int status, const char* message) { trakmor_ended(status, message); }

} // namespace web
