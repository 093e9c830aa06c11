#include "app/web/browser.h"

#include <emscripten.h>

// The promises behind these live in pre.js (Module.trakmor).
EM_ASYNC_JS(void, trakmor_turn, (), { await Module.trakmor.turn(); });
EM_ASYNC_JS(void, trakmor_sleep, (double us), { await Module.trakmor.sleep(us); });
extern "C" unsigned trakmor_frames();  // library.js
// Straight from the wasm memory into the canvas: a view, no copy in between.
EM_JS(void, trakmor_show, (const uint32_t* rgba, int width, int height), {
    var t = Module.trakmor;
    if (!t.context) t.context = Module.canvas.getContext('2d', {alpha : false});
    var bytes = new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4);
    t.context.putImageData(new ImageData(bytes, width, height), 0, 0);
});
EM_JS(void, trakmor_ended, (int status, const char* message), {
    Module.trakmor.ended(status, UTF8ToString(message));
});

namespace web {

void GiveTurn() { trakmor_turn(); }
void Sleep(double us) {
    if (us < kSingleTurnUs) trakmor_turn();
    else trakmor_sleep(us);
}
unsigned FrameCount() { return trakmor_frames(); }
void ShowPicture(const uint32_t* rgba, int width, int height) { trakmor_show(rgba, width, height); }
void Ended(int status, const char* message) { trakmor_ended(status, message); }

} // namespace web
