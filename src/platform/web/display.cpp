// Fullscreen and the display mode in the browser. Browsers go fullscreen
// only from a click, so the page asked when the player clicked to start;
// the game's mode switch learns here how that went.
#include <emscripten.h>

#include "platform/web/page.h"
#include "platform/web/session.h"
#include "platform/web/yield.h"

namespace plat {

long ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
    using web::session;
    if (!mode) {
        if (session.fullscreenSet) web::page::LeaveFullscreen();
        session.fullscreenSet = false;
        return DISP_CHANGE_SUCCESSFUL;
    }
    // A loaded machine may take seconds over it; a browser that never
    // answers is taken as a refusal.
    constexpr double kLongestWait = 15000;
    const int width = static_cast<int>(mode->pelsWidth), height = static_cast<int>(mode->pelsHeight);
    const double asked = emscripten_get_now();
    int outcome = 0;
    while ((outcome = web::page::FullscreenOutcome(width, height)) == 0 && emscripten_get_now() - asked < kLongestWait)
        web::Yield(10);
    session.fullscreenSet = outcome == 1;
    return session.fullscreenSet ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_FAILED;
}

}  // namespace plat
