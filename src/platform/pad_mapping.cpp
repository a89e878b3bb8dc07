#include "platform/pad_mapping.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace plat {
namespace {

// A walking key goes down past the first and up only below the second, so a
// stick resting at the edge does not tap the key every step.
constexpr float kWalkPress = 0.35f;
constexpr float kWalkLetGo = 0.25f;
// Pads rest a little off centre: below this the right stick does nothing.
constexpr float kLookDeadZone = 0.15f;
// A full deflection turns 180 degrees a second: 8 pixels a degree, a step
// every 15 ms.
constexpr float kFullTurnPixels = 180.0f * 8.0f * 0.015f;
constexpr float kTriggerPress = 0.5f;
constexpr float kTriggerLetGo = 0.3f;

constexpr WPARAM kLeftButtonDown = 0x0001;

float LookDeflection(const PadState& state) { return std::min(1.0f, std::hypot(state.rightX, state.rightY)); }

// One bit for each control in use, to tell which pad moved last.
unsigned Activity(const PadState& s) {
    const bool bits[] = {std::fabs(s.leftX) > kWalkPress, std::fabs(s.leftY) > kWalkPress,
                         LookDeflection(s) > kLookDeadZone, s.rightTrigger > kTriggerPress, s.south, s.back,
                         s.start, s.up, s.down, s.left, s.right};
    unsigned active = 0;
    for (std::size_t i = 0; i < std::size(bits); ++i) active |= unsigned{bits[i]} << i;
    return active;
}

}  // namespace

void PadMapping::Hold(WPARAM key, bool down, PadInput* input) {
    if (held_[key] == down) return;
    held_[key] = down;
    input->messages.push_back(MSG{nullptr, down ? WM_KEYDOWN : WM_KEYUP, key, 0});
}

void PadMapping::LetGo(PadInput* input) {
    for (WPARAM key = 0; key < std::size(held_); ++key) Hold(key, false, input);
    restX_ = restY_ = 0;
    player_ = -1;
}

void PadMapping::Read(int id, const PadState& state, PadInput* input) {
    Pad& pad = pads_[id];
    const unsigned active = Activity(state);
    const bool moved = (active & ~pad.active) != 0;
    pad.active = active;
    const bool triggerDown = state.rightTrigger > (pad.triggerDown ? kTriggerLetGo : kTriggerPress);
    const bool fires = (triggerDown && !pad.triggerDown) || (state.south && !pad.last.south);
    const bool pauses = state.start && !pad.last.start;
    pad.triggerDown = triggerDown;
    pad.last = state;
    if (id != player_) {
        if (!moved) return;
        LetGo(input);
        player_ = id;
    }

    const auto walk = [&](WPARAM key, float toward) {
        Hold(key, toward > (held_[key] ? kWalkLetGo : kWalkPress), input);
    };
    walk('W', -state.leftY);
    walk('S', state.leftY);
    walk('A', -state.leftX);
    walk('D', state.leftX);
    Hold(VK_UP, state.up, input);
    Hold(VK_DOWN, state.down, input);
    Hold(VK_LEFT, state.left, input);
    Hold(VK_RIGHT, state.right, input);
    Hold(VK_ESCAPE, state.back, input);
    if (fires) input->messages.push_back(MSG{nullptr, WM_LBUTTONDOWN, kLeftButtonDown, 0});
    input->pause = input->pause || pauses;

    // Past the dead zone the speed grows with the square of the deflection:
    // a small one aims finely, a full one turns fast. Parts of a pixel add
    // up over the steps, so even the slowest aim moves.
    const float deflection = LookDeflection(state);
    if (deflection <= kLookDeadZone) {
        restX_ = restY_ = 0;
        return;
    }
    const float past = (deflection - kLookDeadZone) / (1.0f - kLookDeadZone);
    const float pixels = kFullTurnPixels * past * past / deflection;
    restX_ += state.rightX * pixels;
    restY_ += state.rightY * pixels;
    const int moveX = static_cast<int>(restX_);
    const int moveY = static_cast<int>(restY_);
    restX_ -= static_cast<float>(moveX);
    restY_ -= static_cast<float>(moveY);
    input->moveX += moveX;
    input->moveY += moveY;
}

void PadMapping::Remove(int id, PadInput* input) {
    if (id == player_) LetGo(input);
    pads_.erase(id);
}

}  // namespace plat
