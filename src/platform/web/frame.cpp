// The frame's end in the browser: the collected draws go out, the figures
// of the frame go to the page, and the game waits for the browser's next
// display frame. Also the layer's every other wait (Yield).
#include <emscripten.h>

#include "platform/web/gl.h"
#include "platform/web/page.h"
#include "platform/web/session.h"
#include "platform/web/yield.h"

namespace plat {
namespace {

constexpr std::uint32_t kInactiveWait = 15;  // ms between idle steps while nothing is drawn

// The browser asks for a frame when it can show one: waiting for that
// keeps the game from drawing faster than the canvas is composited, which on
// a software renderer would queue frames (and the page's input) for seconds.
// A hidden page asks for none; the game waits no more than a moment for it.
//
// The game sleeps in here (the __asyncjs__ name makes it an import that may
// sleep, as EM_ASYNC_JS does) and is woken as Emscripten's own sleep wakes
// it: through callUserCallback, which, once the game has run on to the end
// of main, sees that nothing keeps the runtime alive and exits it (onExit).
// EM_ASYNC_JS wakes it from a promise, where nothing looks: a game whose last
// wait was for a frame (Escape while drawing) returned from main and never
// exited, and the page never ended.
#define VELDRAKE_SLEEPING_JS(ret, name, params, ...) _EM_JS(ret, name, __asyncjs__##name, params, #__VA_ARGS__)
VELDRAKE_SLEEPING_JS(void, AwaitDisplay, (), {
    return Asyncify.handleSleep(function(wakeUp) {
        let woken = false;
        const wake = function() {
            if (woken) return;
            woken = true;
            callUserCallback(wakeUp);
        };
        if (!document.hidden) requestAnimationFrame(wake);
        setTimeout(wake, 250);
    });
});

}  // namespace

namespace web {

void Yield(std::uint32_t milliseconds) {
    FlushGl();  // the browser shows the canvas as it stands whenever it gets to run
    const double start = emscripten_get_now();
    emscripten_sleep(milliseconds);
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
        AwaitDisplay();
    } else {
        web::Yield(kInactiveWait);
    }
    session.lastSwapCall = now;
    session.lastSwap = emscripten_get_now();
    session.idleSinceSwap = 0;
    return true;
}

}  // namespace plat
