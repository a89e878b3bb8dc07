// Ways the game is ended from outside while it may be busy elsewhere: the
// signals a session or a user sends (SIGINT, SIGTERM) and errors reported by
// the X server (inside the SDL window layer only).
#pragma once

namespace plat::sdl {

// Takes SIGINT and SIGTERM over, before SDL would; once is enough.
void InstallSignalHandlers();
// Once SDL's video is up on X11: an X error ends the game rather than
// going through SDL's own handler.
void InstallXErrorHandler();

// Brackets a modal message box: a signal meanwhile takes the box down.
void BoxShowing(bool showing);

// A signal asked the game to close since the last call.
bool TakeCloseRequest();
// The game is on its way out (a signal or an X error): no more boxes.
bool Ending();
// The X server reported an error.
bool XFailed();

}  // namespace plat::sdl
