// Clocks and sleeping on Windows: the performance counter, the multimedia
// millisecond clock and Sleep.
#include "platform/clock.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>

namespace plat {

bool QueryPerformanceFrequency(std::int64_t* countsPerSecond) {
    LARGE_INTEGER frequency;
    if (!::QueryPerformanceFrequency(&frequency)) {
        *countsPerSecond = 0;
        return false;
    }
    *countsPerSecond = frequency.QuadPart;
    return frequency.QuadPart != 0;
}

bool QueryPerformanceCounter(std::int64_t* count) {
    LARGE_INTEGER now;
    if (!::QueryPerformanceCounter(&now)) return false;
    *count = now.QuadPart;
    return true;
}

std::uint32_t timeGetTime() { return ::timeGetTime(); }

void Sleep(std::uint32_t milliseconds) {
    // The frame pacing sleeps a millisecond at a time; at the system's
    // default tick of about 15.6 ms each of those sleeps would take a whole
    // tick and halve the frame rate. The finer tick lasts as long as the process.
    static const bool fineTick = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)fineTick;
    ::Sleep(milliseconds);
}

}  // namespace plat
