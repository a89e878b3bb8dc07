#include "platform/sdl/ending.h"

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

namespace plat::sdl {
namespace {

volatile sig_atomic_t closeRequested = 0;  // signals not yet turned into a close
volatile sig_atomic_t ending = 0;
volatile sig_atomic_t boxUp = 0;
volatile sig_atomic_t xFailed = 0;
pid_t gamePid = 0;
char boxChildren[64];  // where Linux lists the processes the main thread forked

// SDL shows a box from a process of its own and waits for it whatever
// signal comes, so the box's process is what has to go. Only async-signal-
// safe calls from here on.
void TakeBoxesDown() {
    const int list = open(boxChildren, O_RDONLY | O_CLOEXEC);
    if (list < 0) return;
    char text[256];
    const ssize_t got = read(list, text, sizeof text - 1);
    close(list);
    pid_t child = 0;
    for (ssize_t i = 0; i < got; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            child = child * 10 + (text[i] - '0');
        } else {
            if (child > 0) kill(child, SIGKILL);
            child = 0;
        }
    }
    if (child > 0) kill(child, SIGKILL);
}

void OnSignal(int) {
    // The box's own process has our handler too: it just goes.
    if (getpid() != gamePid) _exit(0);
    // A game that has not taken up the last request is stuck somewhere: go now.
    if (closeRequested) _exit(0);
    closeRequested = 1;
    ending = 1;
    if (boxUp) TakeBoxesDown();
}

// Asking the server anything from in here waits for a reply that the
// connection, busy reporting this error, can never deliver (SDL's handler
// restores the display mode from in here and hangs the game for good). The
// game ends through its normal shutdown instead, which restores the mode.
int OnXError(Display*, XErrorEvent*) {
    xFailed = 1;
    ending = 1;
    return 0;
}

}  // namespace

void InstallSignalHandlers() {
    if (gamePid != 0) return;
    gamePid = getpid();
    std::snprintf(boxChildren, sizeof boxChildren, "/proc/%d/task/%d/children", int(gamePid), int(gamePid));
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void InstallXErrorHandler() { XSetErrorHandler(OnXError); }

void BoxShowing(bool showing) { boxUp = showing ? 1 : 0; }

bool TakeCloseRequest() {
    if (!closeRequested) return false;
    closeRequested = 0;
    return true;
}

bool Ending() { return ending != 0; }

bool XFailed() { return xFailed != 0; }

}  // namespace plat::sdl
