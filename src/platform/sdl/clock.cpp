// Clocks and sleeping over SDL's timers, which need no initialisation.
#include <SDL.h>

#include "platform/clock.h"

namespace plat {

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
    const Uint64 frequency = SDL_GetPerformanceFrequency();
    *countsPerSecond = static_cast<std::int64_t>(frequency);
    return frequency != 0;
}

bool QueryPerformanceCounter(std::int64_t* count) {
    *count = static_cast<std::int64_t>(SDL_GetPerformanceCounter());
    return true;
}

std::uint32_t timeGetTime() { return SDL_GetTicks(); }

void Sleep(std::uint32_t milliseconds) { SDL_Delay(milliseconds); }

}  // namespace plat
