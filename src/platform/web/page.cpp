// The calls of the page contract (page.h) into the page's hooks (page.js).
#include "platform/web/page.h"

#include <emscripten.h>

namespace plat::web::page {
namespace {

EM_JS(void, JsNameCanvas, (const char* name), { specialHTMLTargets[UTF8ToString(name)] = Module.canvas; });
EM_JS(int, JsLockPointer, (), { return Module.veldrakeLockPointer() ? 1 : 0; });
EM_JS(int, JsPointerLocked, (), { return Module.veldrakePointerLocked() ? 1 : 0; });
EM_JS(int, JsPointerRefused, (), { return Module.veldrakePointerRefused() ? 1 : 0; });
EM_JS(int, JsOverCanvas, (int x, int y), { return Module.veldrakeOverCanvas(x, y) ? 1 : 0; });
EM_JS(int, JsMovedByFullscreen, (double timeStamp, int dx, int dy), {
    return Module.veldrakeMovedByFullscreen(timeStamp, dx, dy) ? 1 : 0;
});
EM_JS(void, JsShowPointerHint, (int show), { Module.veldrakePointerHint(show !== 0); });
EM_JS(void, JsShowContextLost, (int lost), { Module.veldrakeContextLost(lost !== 0); });
EM_JS(void, JsSetTitle, (const char* title), { Module.veldrakeTitle(UTF8ToString(title)); });
EM_JS(void, JsShowIcon, (const unsigned char* bmp, int size), { Module.veldrakeIcon(HEAPU8.slice(bmp, bmp + size)); });
EM_JS(void, JsShowCursor, (int show), { Module.veldrakeShowCursor(show !== 0); });
EM_JS(int, JsFullscreenOutcome, (int width, int height), { return Module.veldrakeFullscreenOutcome(width, height); });
EM_JS(void, JsLeaveFullscreen, (), { Module.veldrakeLeaveFullscreen(); });
EM_JS(void, JsOpenBox, (const char* text, const char* caption, int yesNo), {
    Module.veldrakeShowBox(UTF8ToString(text), UTF8ToString(caption), yesNo ? [ 'Yes', 'No' ] : ['OK']);
});
EM_JS(int, JsBoxAnswer, (), { return Module.veldrakeBoxAnswer(); });
EM_JS(int, JsDisplayBehind, (), { return Module.veldrakeDisplayBehind() ? 1 : 0; });

// The game sleeps in these (the __asyncjs__ name makes each an import that
// may sleep, as EM_ASYNC_JS does) and is woken as Emscripten's own sleep
// wakes it: through callUserCallback, which, once the game has run on to the
// end of main, sees that nothing keeps the runtime alive and exits it
// (onExit). EM_ASYNC_JS wakes it from a promise, where nothing looks: a game
// whose last wait was for a frame (Escape while drawing) returned from main
// and never exited, and the page never ended.
#define VELDRAKE_SLEEPING_JS(ret, name, params, ...) _EM_JS(ret, name, __asyncjs__##name, params, #__VA_ARGS__)
VELDRAKE_SLEEPING_JS(void, JsSleep, (int milliseconds), {
    return Asyncify.handleSleep(function(wakeUp) {
        Module.veldrakeSleep(milliseconds, function() { callUserCallback(wakeUp); });
    });
});
VELDRAKE_SLEEPING_JS(void, JsAwaitDisplay, (), {
    return Asyncify.handleSleep(function(wakeUp) {
        Module.veldrakeAwaitDisplay(function() { callUserCallback(wakeUp); });
    });
});
EM_JS(int, JsReadPads, (float* readings, int size), {
    return Module.veldrakeReadPads(HEAPF32.subarray(readings >> 2, (readings >> 2) + size));
});
EM_JS(void, JsPadUsed, (), { Module.veldrakePadUsed(); });
EM_JS(void, JsPadPause, (), { Module.veldrakePadPause(); });
EM_JS(void, JsFrameShown, (double cost, double interval), { Module.veldrakeFrameShown(cost, interval); });

}  // namespace

const char* CanvasTarget() {
    static const char* const name = [] {
        const char* const canvas = "!canvas";
        JsNameCanvas(canvas);
        return canvas;
    }();
    return name;
}
bool LockPointer() { return JsLockPointer() != 0; }
bool PointerLocked() { return JsPointerLocked() != 0; }
bool PointerRefused() { return JsPointerRefused() != 0; }
bool OverCanvas(int x, int y) { return JsOverCanvas(x, y) != 0; }
bool MovedByFullscreen(double timeStamp, int dx, int dy) { return JsMovedByFullscreen(timeStamp, dx, dy) != 0; }
void ShowPointerHint(bool show) { JsShowPointerHint(show); }
void ShowContextLost(bool lost) { JsShowContextLost(lost); }
void SetTitle(const char* title) { JsSetTitle(title ? title : ""); }
void ShowIcon(const unsigned char* bmp, int size) { JsShowIcon(bmp, size); }
void ShowCursor(bool show) { JsShowCursor(show); }
int FullscreenOutcome(int width, int height) { return JsFullscreenOutcome(width, height); }
void LeaveFullscreen() { JsLeaveFullscreen(); }
void OpenBox(const char* text, const char* caption, bool yesNo) {
    JsOpenBox(text ? text : "", caption ? caption : "", yesNo);
}
int BoxAnswer() { return JsBoxAnswer(); }
void Sleep(int milliseconds) { JsSleep(milliseconds); }
bool DisplayBehind() { return JsDisplayBehind() != 0; }
void AwaitDisplay() { JsAwaitDisplay(); }
int ReadPads(float* readings, int capacity) { return JsReadPads(readings, capacity * kPadFields); }
void PadUsed() { JsPadUsed(); }
void PadPause() { JsPadPause(); }
void FrameShown(double cost, double interval) { JsFrameShown(cost, interval); }

}  // namespace plat::web::page
