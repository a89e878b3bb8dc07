// Gamepads in the browser: the page reads the Gamepad API (pad.js) once a
// game step, and the mapping every build shares turns the readings into the
// keys and the mouse a player would use, which reach the game as the touch
// controls' do. Start asks the page for its pause choice.
#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/pad_mapping.h"
#include "platform/web/page.h"
#include "platform/web/session.h"

namespace plat::web {
namespace {

constexpr int kMaxPads = 4;  // as many as the browsers show a page

PadMapping mapping;
std::vector<int> plugged;  // the pads read last step, by index

PadState StateOf(const float* reading) {
    PadState state{reading[1], reading[2], reading[3], reading[4], reading[5]};
    bool PadState::*const buttons[] = {&PadState::south, &PadState::back, &PadState::start, &PadState::up,
                                       &PadState::down,  &PadState::left, &PadState::right};
    for (std::size_t i = 0; i < std::size(buttons); ++i) state.*buttons[i] = reading[6 + i] != 0;
    return state;
}

}  // namespace

void ReadPads() {
    if (!session.windowOpen) return;
    float readings[kMaxPads * page::kPadFields];
    const int count = std::min(page::ReadPads(readings, kMaxPads), kMaxPads);
    PadInput input;
    std::vector<int> now;
    for (int i = 0; i < count; ++i) {
        const float* reading = readings + i * page::kPadFields;
        now.push_back(static_cast<int>(reading[0]));
        mapping.Read(now.back(), StateOf(reading), &input);
    }
    const bool used = !input.messages.empty() || input.moveX || input.moveY || input.pause;
    // A pad pulled out lets go of what it held.
    for (const int id : plugged)
        if (std::find(now.begin(), now.end(), id) == now.end()) mapping.Remove(id, &input);
    plugged = std::move(now);

    for (const MSG& message : input.messages) {
        if (message.message == WM_LBUTTONDOWN)
            Fire();
        else
            PressKey(message.wParam, message.message == WM_KEYDOWN);
    }
    if (input.moveX || input.moveY) Look(input.moveX, input.moveY);
    if (input.pause) page::PadPause();
    if (used) page::PadUsed();
}

}  // namespace plat::web
