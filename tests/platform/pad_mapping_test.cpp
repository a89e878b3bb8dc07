// The pad mapping every layer shares: one table of readings, in order, and
// what each asks of the game.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/pad_mapping.h"

namespace {

using plat::PadState;
using Messages = std::vector<std::pair<plat::UINT, plat::WPARAM>>;
constexpr plat::UINT kDown = plat::WM_KEYDOWN, kUp = plat::WM_KEYUP, kFire = plat::WM_LBUTTONDOWN;

PadState Stick(float leftX, float leftY, float rightX = 0, float rightY = 0) { return {leftX, leftY, rightX, rightY}; }
PadState Trigger(float pressed) {
    PadState state;
    state.rightTrigger = pressed;
    return state;
}
PadState Buttons(bool south, bool back, bool start, bool up) {
    PadState state;
    state.south = south, state.back = back, state.start = start, state.up = up;
    return state;
}

TEST(PadMapping, ReadingsInTurnBecomeTheGamesMessages) {
    const struct {
        const char* what;
        int pad;  // -2 - n: pad n pulled out
        PadState state;
        Messages messages;
        int moveX = 0, moveY = 0;
        bool pause = false;
    } steps[] = {
        {"a stick inside the dead zone walks nowhere", 1, Stick(0.3f, -0.3f), {}},
        {"past it, up walks and right steps aside", 1, Stick(0.4f, -0.5f), {{kDown, 'W'}, {kDown, 'D'}}},
        {"back inside the dead zone, the keys stay down", 1, Stick(0.3f, -0.3f), {}},
        {"below the hysteresis they go up", 1, Stick(0.2f, 0), {{kUp, 'W'}, {kUp, 'D'}}},
        {"down-left", 1, Stick(-0.9f, 0.9f), {{kDown, 'S'}, {kDown, 'A'}}},
        {"a full right stick turns 21.6 pixels a step", 1, Stick(-0.9f, 0.9f, 1, 0), {}, 21},
        {"the rest of the pixel is kept", 1, Stick(-0.9f, 0.9f, 1, 0), {}, 22},
        {"the dead zone drops the rest", 1, Stick(0, 0, 0.1f, 0), {{kUp, 'S'}, {kUp, 'A'}}},
        {"a small deflection aims finely", 1, Stick(0, 0, 0, -0.3f), {}, 0, 0},
        {"and moves by and by", 1, Stick(0, 0, 0, -0.3f), {}, 0, -1},
        {"full down", 1, Stick(0, 0, 0, 1), {}, 0, 21},
        {"the trigger fires when pressed", 1, Trigger(0.6f), {{kFire, 1}}},
        {"and not while held, even half let go", 1, Trigger(0.4f), {}},
        {"let go", 1, Trigger(0.2f), {}},
        {"each press fires", 1, Trigger(0.7f), {{kFire, 1}}},
        {"so does the south button, D-pad up is the arrow, Back Escape", 1, Buttons(true, true, true, true),
         {{kDown, plat::VK_UP}, {kDown, plat::VK_ESCAPE}, {kFire, 1}}, 0, 0, true},
        {"held, they fire and pause no more", 1, Buttons(true, true, true, true), {}},
        {"a second pad at rest takes nothing over", 2, PadState{}, {}},
        {"when it moves, the first pad's keys go up", 2, Stick(0.8f, 0),
         {{kUp, plat::VK_ESCAPE}, {kUp, plat::VK_UP}, {kDown, 'D'}}},
        {"the first pad held still no longer plays", 1, Buttons(true, true, true, true), {}},
        {"pulling the first pad out changes nothing", -3, {}, {}},
        {"pulling the second out lets go of its keys", -4, {}, {{kUp, 'D'}}},
    };
    plat::PadMapping mapping;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        plat::PadInput input;
        if (step.pad < 0)
            mapping.Remove(-2 - step.pad, &input);
        else
            mapping.Read(step.pad, step.state, &input);
        Messages messages;
        for (const plat::MSG& m : input.messages) messages.emplace_back(m.message, m.wParam);
        EXPECT_EQ(messages, step.messages);
        EXPECT_EQ(input.moveX, step.moveX);
        EXPECT_EQ(input.moveY, step.moveY);
        EXPECT_EQ(input.pause, step.pause);
    }

    // Three seconds of a full right stick at the game's 66.7 steps a second:
    // one and a half turns at 8 pixels a degree.
    plat::PadInput turn;
    for (int step = 0; step < 200; ++step) mapping.Read(5, Stick(0, 0, 1, 0), &turn);
    EXPECT_NEAR(turn.moveX, 540 * 8, 1);
}

}  // namespace
