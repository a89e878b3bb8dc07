// One-time scene start-up and the game's clock.
#pragma once

// Brings the scene up with the window shown and its context current: cursor
// placement, fixed OpenGL state and the timer, after the steps of the other
// subsystems. False when a step that must succeed failed.
bool InitScene();

// The OpenGL state every frame starts from, with cleared buffers.
void SetFixedGlState();

// Picks the performance counter, or the millisecond clock where there is none.
void TimerInit();

// Milliseconds since TimerInit.
double TimerGetTime();
