// The window messages a layer makes of its system's input, waiting for the
// game to take them one at a time (the SDL and the browser layers share it).
// What the game posted to itself (the quit message) comes before any input.
#pragma once

#include <deque>

#include "platform/window.h"

namespace plat {

class MessageQueue {
public:
    // A message the game posted to itself: taken before any input.
    void Post(const MSG& message) { posted_.push_back(message); }
    bool TakePosted(MSG* message);

    // Input. Mouse moves are merged as they queue: a newer one replaces the
    // one still waiting, so the view follows the latest cursor position and
    // a flood of motion never stands between the game and a key.
    void Enqueue(const MSG& message);
    // The oldest input, or false when there is none to take now. A key-up
    // right behind its key-down would clear the key before the game ever
    // looked at it (a quick tap, or a press and release within one frame):
    // it waits until the queue has once been reported empty.
    bool TakeInput(MSG* message);
    void DropInput() { events_.clear(); }
    // The place of the latest mouse move queued (lParam), from which a pad
    // moves the cursor on; false before any.
    bool LastMousePlace(LPARAM* place) const {
        *place = lastMousePlace_;
        return mouseMoved_;
    }

private:
    std::deque<MSG> posted_;
    std::deque<MSG> events_;
    bool downSinceEmpty_[256] = {};  // key-down taken since the queue last looked empty
    LPARAM lastMousePlace_ = 0;
    bool mouseMoved_ = false;
};

}  // namespace plat
