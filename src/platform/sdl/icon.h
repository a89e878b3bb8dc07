// The game's own window icon, from the data folder (inside the SDL window
// layer only).
#pragma once

#include <SDL.h>

namespace plat::sdl {

// Puts "icon.bmp" from the working directory on the window; a window without
// a readable icon keeps the desktop's default one.
void SetGameIcon(SDL_Window* window);

}  // namespace plat::sdl
