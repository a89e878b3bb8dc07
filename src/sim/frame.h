// The frame: player movement, the view, the shot, the particles and the
// pacing, once per idle step of the main loop.
#pragma once

// The eye stays at this height whatever the player's collision height.
constexpr double kEyeHeight = 10.0;

// Advances and draws one frame and waits out the rest of its 15 ms.
// Always true; the main loop would end on false.
bool RunFrame();

// Replaces the current matrix with this frame's view transform.
void ApplyCamera();

// Sleeps in 1 ms steps until 15 ms have passed since the previous frame ended.
void WaitForFrameTime();

// The player's part of a frame, without drawing: damping, the move, the
// camera offset, the collision and the heading latch.
void MovePlayer();
