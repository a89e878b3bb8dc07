// Game controllers through SDL's game-controller API (inside the SDL window
// layer only).
#pragma once

#include <SDL.h>

#include "platform/message_queue.h"

namespace plat::sdl {

// Reads every controller plugged in, taking up new ones and letting go of
// those pulled out, and queues what the player's pad does as messages to
// `window`. Called once a game step: a mouse move is a step's turning.
void ReadPads(MessageQueue* queue, SDL_Window* window);

}  // namespace plat::sdl
