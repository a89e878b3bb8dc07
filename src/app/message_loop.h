// The program's entry point and only loop, and the window procedure that
// turns input into game state between frames.
#pragma once

#include "platform/window.h"

// Opens the window, runs the loop until Escape, a close or a failed frame,
// and tears down. Its arguments are not used. Result: the exit code.
int WinMain(void* instance, void* previousInstance, char* commandLine, int showCommand);

plat::LRESULT WndProc(plat::Handle window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam);

// What the loop does whenever the queue is empty: the frame, the swap, the
// fire cooldown and the keyboard's impulses, fire request and turn.
void IdleStep();
