// Message boxes in the browser: the page draws the box, and the game waits
// for its answer while the browser runs on. The game's input waits too.
#include "platform/web/page.h"
#include "platform/web/session.h"
#include "platform/web/yield.h"

namespace plat {

int MessageBox(Handle, const char* text, const char* caption, std::uint32_t type) {
    using web::session;
    const bool yesNo = (type & 0xF) == MB_YESNO;
    web::ReleaseHeldKeys();
    session.boxShowing = true;
    web::page::OpenBox(text, caption, yesNo);
    int answer = 0;
    while ((answer = web::page::BoxAnswer()) == 0) web::Yield(10);
    session.boxShowing = false;
    if (yesNo) return answer == 1 ? IDYES : IDNO;
    return IDOK;
}

}  // namespace plat
