// Clocks and sleeping in the browser: the page's monotonic clock in
// microseconds, and sleeps that hand the page back to the browser so that
// it can show frames and deliver input meanwhile.
#include <emscripten.h>

#include <cmath>

#include "platform/clock.h"
#include "platform/web/yield.h"

namespace plat {

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
    *countsPerSecond = 1000000;
    return true;
}

bool QueryPerformanceCounter(std::int64_t* count) {
    *count = static_cast<std::int64_t>(std::floor(emscripten_get_now() * 1000.0));
    return true;
}

std::uint32_t timeGetTime() { return static_cast<std::uint32_t>(static_cast<std::uint64_t>(emscripten_get_now())); }

void Sleep(std::uint32_t milliseconds) { web::Yield(milliseconds); }

}  // namespace plat
