// Clocks and sleeping. Each layer has its own (sdl/, win32/, web/); tests
// link a double whose clock they set by hand.
#pragma once

#include <cstdint>

namespace plat {

// High-resolution counter; false when the machine has none.
bool QueryPerformanceFrequency(std::int64_t* countsPerSecond);
bool QueryPerformanceCounter(std::int64_t* count);

// Milliseconds since some start; wraps past 2^32.
std::uint32_t timeGetTime();

void Sleep(std::uint32_t milliseconds);

}  // namespace plat
