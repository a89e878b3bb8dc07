// What the SDL and the browser layers emulate alike of the window system the
// game was written for: the class's window procedure that messages are
// dispatched to, the default window procedure, the cursor's show count and
// the check of the one pixel format they offer. Each layer supplies the two
// things that are its own, below.
#pragma once

#include "platform/window.h"

namespace plat::emulated {

// The low word of WM_ACTIVATE's wParam, and WM_LBUTTONDOWN's button flag.
constexpr WPARAM kActive = 1;
constexpr WPARAM kInactive = 0;
constexpr WPARAM kLeftButtonDown = 0x0001;

// The registered class's procedure, which DispatchMessage calls.
void KeepWindowProcedure(WindowProcedure procedure);

// Defined by each layer: whether a handle is one of its device contexts,
// and showing or hiding its cursor over the game.
bool IsDeviceContext(Handle deviceContext);
void ShowSystemCursor(bool show);

}  // namespace plat::emulated
