// Shots: instantaneous traces from the eye along the line of sight.
#pragma once

// Starts a shot when one was requested since the last frame, then traces it
// to its end within this frame.
void FireShot();

// Steps the shot until the level reports contact (and an impact burst is
// spawned there) or 10001 steps have gone by.
void TraceShot();
