// Watching the built game from outside: its process in /proc and its
// window's pixels through Xlib, for the whole-process benchmarks.
#pragma once

#include <X11/Xlib.h>
#include <sys/types.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gl_support/x_display.h"

namespace bench {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// A line of /proc/<pid>/status in kB, e.g. "VmHWM"; -1 when not there.
inline long StatusKb(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.compare(0, field.size() + 1, field + ":") == 0) return std::atol(line.c_str() + field.size() + 1);
    return -1;
}

// True when any pixel of the rectangle is not black; false also when the
// window cannot be read (not mapped yet, or gone).
inline bool AnyLight(Display* display, Window window, int x, int y, int width, int height) {
    XImage* image = XGetImage(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) return false;
    bool light = false;
    for (int row = 0; row < height && !light; ++row)
        for (int column = 0; column < width && !light; ++column)
            light = (XGetPixel(image, column, row) & 0xFFFFFF) != 0;
    XDestroyImage(image);
    return light;
}

}  // namespace bench
