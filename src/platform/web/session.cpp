// The browser layer's one window as the game's queue sees it: the messages
// the page's input becomes, the game's own, and the cursor place the game
// reads and sets, kept here since the pointer lock reports movements only.
#include "platform/web/session.h"

#include <algorithm>

namespace plat {
namespace web {

Session session;

namespace {
char windowTag;  // its address is the window's handle, and its device context's
}  // namespace

Handle TheWindow() { return session.windowOpen ? &windowTag : nullptr; }

void Enqueue(const MSG& message) { session.queue.Enqueue(message); }

LPARAM CursorPoint() {
    return MakeLParam(static_cast<std::uint32_t>(session.cursorX), static_cast<std::uint32_t>(session.cursorY));
}

void MoveCursor(int dx, int dy) {
    session.cursorX = std::clamp(session.cursorX + dx, 0, kCanvasWidth - 1);
    session.cursorY = std::clamp(session.cursorY + dy, 0, kCanvasHeight - 1);
    Enqueue(MSG{TheWindow(), WM_MOUSEMOVE, 0, CursorPoint()});
}

void ReleaseHeldKeys() {
    for (WPARAM code = 0; code < 256; ++code)
        if (session.keyDown[code]) {
            session.keyDown[code] = false;
            Enqueue(MSG{TheWindow(), WM_KEYUP, code, 0});
        }
}

void Deactivate() {
    ReleaseHeldKeys();
    if (!session.active) return;
    session.active = false;
    Enqueue(MSG{TheWindow(), WM_ACTIVATE, emulated::kInactive, 0});
}

void Activate() {
    if (session.active || session.contextLost) return;
    session.active = true;
    Enqueue(MSG{TheWindow(), WM_ACTIVATE, emulated::kActive, 0});
}

}  // namespace web

bool PeekMessage(MSG* message) {
    if (web::session.queue.TakePosted(message) || web::session.queue.TakeInput(message)) return true;
    // The game steps once each time the queue is found empty: the pads are read then.
    web::ReadPads();
    return false;
}

void PostQuitMessage(int exitCode) {
    web::session.queue.Post(MSG{web::TheWindow(), WM_QUIT, static_cast<WPARAM>(exitCode), 0});
}

bool SetCursorPos(int x, int y) {
    using web::session;
    if (!session.windowOpen) return false;
    session.cursorX = std::clamp(x, 0, web::kCanvasWidth - 1);
    session.cursorY = std::clamp(y, 0, web::kCanvasHeight - 1);
    web::Enqueue(MSG{web::TheWindow(), WM_MOUSEMOVE, 0, web::CursorPoint()});
    return true;
}

}  // namespace plat
