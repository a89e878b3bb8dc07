// A few Xlib helpers for tests that look at the real display from outside
// the game: finding windows by title, a window manager's close request,
// reading the screen back, and running xdotool.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace xtest {

// Windows come and go while the tree is walked (SDL makes short-lived ones
// at start-up); asking about one that has just gone is not a failure.
inline int IgnoreXError(Display*, XErrorEvent*) { return 0; }

inline Display* OpenDisplay() {
    XSetErrorHandler(IgnoreXError);
    return XOpenDisplay(nullptr);
}

// A window's title: the UTF-8 one where set (SDL's message boxes set only
// that), else the classic name.
inline std::string TitleOf(Display* display, Window window) {
    std::string title;
    Atom type = 0;
    int format = 0;
    unsigned long items = 0, left = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &items, &left,
                           &data) == Success && data) {
        title.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
        if (!title.empty()) return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

// The first window with exactly this title under `parent`, depth first; 0 if none.
inline Window FindByTitle(Display* display, Window parent, const std::string& title) {
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, parent, &root, &up, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (TitleOf(display, children[i]) == title) found = children[i];
        if (!found) found = FindByTitle(display, children[i], title);
    }
    if (children) XFree(children);
    return found;
}

// Waits until a mapped window with this title exists; 0 after `seconds`.
inline Window WaitForWindow(Display* display, const std::string& title, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    do {
        Window window = FindByTitle(display, DefaultRootWindow(display), title);
        XWindowAttributes attributes{};
        if (window && XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable)
            return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return 0;
}

// What a window manager sends when the user closes the window.
inline void SendDeleteWindow(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// The colour the X server shows at (x, y) of the window, y from the top.
inline std::array<int, 3> ScreenPixel(Display* display, Window window, int x, int y) {
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image) return {-1, -1, -1};
    const unsigned long pixel = XGetPixel(image, 0, 0);
    const std::array<int, 3> rgb = {static_cast<int>((pixel & image->red_mask) >> 16),
                                    static_cast<int>((pixel & image->green_mask) >> 8),
                                    static_cast<int>(pixel & image->blue_mask)};
    XDestroyImage(image);
    return rgb;
}

// Runs xdotool with these arguments on the current display; true on success.
inline bool Xdo(const std::string& arguments) {
    return std::system(("xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace xtest
