// The OpenGL 1.1 the game draws with, over the browser's WebGL 1:
// immediate mode, display lists, the matrices and both texture units are
// kept here and drawn as vertex arrays by one shader program (gl.cpp).
#pragma once

namespace plat::web {

// Our own entry point for an extension function, or null when the name is
// not one we provide.
void* GlProcAddress(const char* name);

// Draws whatever is still collected; called before the frame is shown.
void FlushGl();

// Gives a context restored after its loss all that the lost one held.
void RestoreGl();

}  // namespace plat::web
