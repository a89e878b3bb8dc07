// A pad's state as the game's own window messages, the same on every build:
// the left stick walks with W, S, A and D, the right stick moves the mouse,
// the right trigger and the south button are the left mouse button, the
// D-pad is the arrow keys and Back is Escape. Plain C++: each layer reads
// its pads its own way and hands the readings over in one layout, the
// browser's standard one.
#pragma once

#include <map>
#include <vector>

#include "platform/window.h"

namespace plat {

// One reading of a pad. Sticks from -1 to 1, right and down positive; the
// trigger from 0 (let go) to 1.
struct PadState {
    float leftX = 0, leftY = 0, rightX = 0, rightY = 0;
    float rightTrigger = 0;
    bool south = false, back = false, start = false;
    bool up = false, down = false, left = false, right = false;
};

// What readings ask of the game. The messages carry no window (the layer
// addresses them); the mouse move is in pixels from where the cursor is.
struct PadInput {
    std::vector<MSG> messages;
    int moveX = 0, moveY = 0;
    bool pause = false;  // Start pressed: the browser's pause choice; natively nothing
};

class PadMapping {
public:
    // A reading of the pad `id`, taken once a game step (a mouse move is a
    // step's worth of turning); what it changes is added to `input`. Of all
    // the pads, the one that last moved plays.
    void Read(int id, const PadState& state, PadInput* input);
    // The pad is gone: every key it held goes up.
    void Remove(int id, PadInput* input);

private:
    struct Pad {
        PadState last;
        unsigned active = 0;  // what the pad is doing, one bit per control, for telling a move
        bool triggerDown = false;
    };
    void LetGo(PadInput* input);
    void Hold(WPARAM key, bool down, PadInput* input);

    std::map<int, Pad> pads_;
    int player_ = -1;
    bool held_[256] = {};  // keys the player's pad holds down
    float restX_ = 0, restY_ = 0;  // the part of a pixel still to move
};

}  // namespace plat
