// Watching the built game from outside: its process in /proc and its
// window's pixels through Xlib, for the whole-process benchmarks.
#pragma once

#include <X11/Xlib.h>
#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "gl_support/x_display.h"

namespace bench {

inline double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// The game a session started: the child of this process running the binary.
inline pid_t FindGameChild() {
    DIR* proc = opendir("/proc");
    if (!proc) return -1;
    pid_t found = -1;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0) continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        std::getline(stat, line);
        // pid (comm) state ppid ...
        const size_t close = line.rfind(')');
        if (close == std::string::npos || line.find("(veldrake)") == std::string::npos) continue;
        int parent = 0;
        char state = 0;
        if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == getpid()) {
            found = pid;
            break;
        }
    }
    closedir(proc);
    return found;
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
