#include "app/web/browser.h"

#include <emscripten.h>

// The promises behind these live in pre.js (Module.trakmor).
EM_ASYNC_JS(void, trakmor_turn, (), { await Module.trakmor.turn(); });
EM_ASYNC_JS(void, trakmor_sleep, (double us), { await Module.trakmor.sleep(us); });
extern "C" unsigned trakmor_frames();  // library.js
// Straight from the wasm memory into the canvas: a view, no copy in between,
// made anew only when the memory has grown (which leaves old views empty).
EM_JS(void, trakmor_show, (const uint32_t* rgba, int width, int height, int top, int rows), {
    var t = Module.trakmor;
    if (!t.context) t.context = Module.canvas.getContext('2d', {alpha : false});
    if (!t.image || t.imageAt !== rgba || t.image.data.buffer !== HEAPU8.buffer) {
        t.image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, width * height * 4), width, height);
        t.imageAt = rgba;
    }
    t.context.putImageData(t.image, 0, 0, 0, top, width, rows);
    if (top + rows >= height) t.shown++;  // the page enlarges each whole picture once
});
EM_JS(void, trakmor_toggle_fullscreen, (), {
    if (Module.toggleFullscreen) Module.toggleFullscreen();
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
void ShowRows(const uint32_t* rgba, int width, int height, int top, int rows) {
    trakmor_show(rgba, width, height, top, rows);
}
void ToggleFullscreen() { trakmor_toggle_fullscreen(); }
void Ended(int status, const char* message) { trakmor_ended(status, message); }

} // namespace web
