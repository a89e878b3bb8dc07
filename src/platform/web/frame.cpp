// The frame's end in the browser: the collected draws go out, the figures
// of the frame go to the page, and the game waits for the browser's next
// display frame when the browser has fallen behind (its pace is the page's,
// pacing.js). Also the layer's every other wait (Yield).
#include <emscripten.h>

#include "platform/web/gl.h"
#include "platform/web/page.h"
#include "platform/web/session.h"
#include "platform/web/yield.h"

namespace plat {
namespace {

constexpr std::uint32_t kInactiveWait = 15;  // ms between idle steps while nothing is drawn

}  // namespace

namespace web {

void Yield(std::uint32_t milliseconds) {
    FlushGl();  // the browser shows the canvas as it stands whenever it gets to run
    const double start = emscripten_get_now();
    page::Sleep(static_cast<int>(milliseconds));
    session.idleSinceSwap += emscripten_get_now() - start;
}

}  // namespace web

bool SwapBuffers(Handle deviceContext) {
    using web::session;
    if (!deviceContext || deviceContext != web::TheWindow()) return false;
    web::FlushGl();  // the frame's last draws are part of its cost
    const double now = emscripten_get_now();
    // While the game is inactive nothing is drawn and the page need not be
    // asked so often. The page learns of every frame shown (a test waits on
    // it to know its input has been seen), with what it cost the page itself
    // and how long it took from the one before, waits and drawing included.
    if (session.active) {
        web::page::FrameShown(session.lastSwap > 0 ? now - session.lastSwap - session.idleSinceSwap : -1,
                              now - session.lastSwapCall);
        // Only when the browser has fallen behind showing frames: a display
        // slower than the game shows the latest one, and the game keeps its pace.
        if (web::page::DisplayBehind()) web::page::AwaitDisplay();
    } else {
        web::Yield(kInactiveWait);
    }
    session.lastSwapCall = now;
    session.lastSwap = emscripten_get_now();
    session.idleSinceSwap = 0;
    return true;
}

}  // namespace plat
