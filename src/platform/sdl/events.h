// SDL events in the shape of the game's window messages (inside the SDL
// window layer only).
#pragma once

#include <SDL.h>

#include "platform/window.h"

namespace plat::sdl {

// The virtual-key code of an SDL key, or 0 for a key without one.
WPARAM VirtualKey(SDL_Keycode key);

// Fills `message` for the events the game takes; false for the others,
// which are dropped. `window` is the game window the message is addressed to.
bool TranslateEvent(const SDL_Event& event, SDL_Window* window, MSG* message);

}  // namespace plat::sdl
