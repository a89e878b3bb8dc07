// The one game window with its OpenGL context, and the projection that
// follows its size.
#pragma once

// Opens the window (fullscreen when asked and the display takes the mode,
// otherwise windowed after asking), makes its context current and starts the
// scene. False: the user has been told why, whatever was made from the
// window on is released, and the program is to end.
bool CreateGameWindow(const char* title, int width, int height, int bits, bool fullscreenRequested);

// Releases the sounds, the context, the device context and the window, and
// restores the display. Every step runs even when an earlier one failed.
void DestroyGameWindow();

// Viewport and a 60-degree perspective for a client area of this size.
void ResizeScene(int width, int height);
