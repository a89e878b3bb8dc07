#include "platform/sdl/gamepad.h"

#include <algorithm>
#include <map>

#include "platform/pad_mapping.h"

namespace plat::sdl {
namespace {

struct Pads {
    bool tried = false;  // the subsystem is started once; where it fails there are no pads
    bool ready = false;
    std::map<SDL_JoystickID, SDL_GameController*> open;
    PadMapping mapping;
    bool cursorAhead = false;  // the pad moved the cursor past where X's pointer is
};
Pads pads;

bool Ready() {
    if (!pads.tried) {
        pads.tried = true;
        // SDL's own database names the buttons of the pads it knows, and
        // SDL_GAMECONTROLLERCONFIG adds to it.
        pads.ready = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    }
    return pads.ready;
}

float Axis(SDL_GameController* pad, SDL_GameControllerAxis axis) {
    return std::max(-1.0f, SDL_GameControllerGetAxis(pad, axis) / 32767.0f);
}

const struct {
    SDL_GameControllerButton button;
    bool PadState::*held;
} kButtons[] = {{SDL_CONTROLLER_BUTTON_A, &PadState::south},       {SDL_CONTROLLER_BUTTON_BACK, &PadState::back},
                {SDL_CONTROLLER_BUTTON_START, &PadState::start},   {SDL_CONTROLLER_BUTTON_DPAD_UP, &PadState::up},
                {SDL_CONTROLLER_BUTTON_DPAD_DOWN, &PadState::down}, {SDL_CONTROLLER_BUTTON_DPAD_LEFT, &PadState::left},
                {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, &PadState::right}};

PadState StateOf(SDL_GameController* pad) {
    PadState state{Axis(pad, SDL_CONTROLLER_AXIS_LEFTX), Axis(pad, SDL_CONTROLLER_AXIS_LEFTY),
                   Axis(pad, SDL_CONTROLLER_AXIS_RIGHTX), Axis(pad, SDL_CONTROLLER_AXIS_RIGHTY),
                   Axis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT)};
    for (const auto& [button, held] : kButtons) state.*held = SDL_GameControllerGetButton(pad, button) != 0;
    return state;
}

// Pads pulled out are let go of, pads plugged in are taken up: the event
// queue was just emptied, so SDL's list of devices is current.
void FollowPlugging(PadInput* input) {
    for (auto it = pads.open.begin(); it != pads.open.end();) {
        if (SDL_GameControllerGetAttached(it->second)) {
            ++it;
            continue;
        }
        pads.mapping.Remove(it->first, input);
        SDL_GameControllerClose(it->second);
        it = pads.open.erase(it);
    }
    for (int device = 0; device < SDL_NumJoysticks(); ++device) {
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
        if (pads.open.count(id) || !SDL_IsGameController(device)) continue;
        if (SDL_GameController* pad = SDL_GameControllerOpen(device)) pads.open[id] = pad;
    }
}

}  // namespace

void ReadPads(MessageQueue* queue, SDL_Window* window) {
    if (!window || !Ready()) return;
    PadInput input;
    FollowPlugging(&input);
    for (const auto& [id, pad] : pads.open) pads.mapping.Read(id, StateOf(pad), &input);
    for (MSG message : input.messages) {
        message.hwnd = window;
        queue->Enqueue(message);
    }
    LPARAM place = 0;
    if (!queue->LastMousePlace(&place)) return;
    if (input.moveX || input.moveY) {
        // The pad moves the cursor in the queue only: a warp of X's pointer
        // each step would be reported back later, possibly after the next
        // step's move, and turn the view back.
        int width = 0, height = 0;
        SDL_GetWindowSize(window, &width, &height);
        const int x = static_cast<int>(LoWord(static_cast<std::uintptr_t>(place))) + input.moveX;
        const int y = static_cast<int>(HiWord(static_cast<std::uintptr_t>(place))) + input.moveY;
        place = MakeLParam(static_cast<std::uint32_t>(std::clamp(x, 0, std::max(0, width - 1))),
                           static_cast<std::uint32_t>(std::clamp(y, 0, std::max(0, height - 1))));
        queue->Enqueue(MSG{window, WM_MOUSEMOVE, 0, place});
        pads.cursorAhead = true;
    } else if (pads.cursorAhead) {
        // Once the pad rests, X's pointer catches up, so that the mouse
        // carries on from where the pad left the view.
        pads.cursorAhead = false;
        SetCursorPos(static_cast<int>(LoWord(static_cast<std::uintptr_t>(place))),
                     static_cast<int>(HiWord(static_cast<std::uintptr_t>(place))));
    }
}

}  // namespace plat::sdl
