// The page contract, the C++ side: all the web layer asks of the page
// (index.html and its scripts) and all the page hands the game. The page's
// side is page.js, which defines the Module.veldrake* hooks called here and
// calls the Veldrake* functions below. Nothing else in the layer reaches the
// page's elements: which element is which is the page's business.
#pragma once

#include <cstdint>

namespace plat::web::page {

// The name Emscripten's event calls know the page's canvas by: whatever
// element the page handed over as Module.canvas, found by no id.
const char* CanvasTarget();

// The pointer lock. Asks for it (false where the browser has none; a refusal
// comes later as a pointerlockerror); whether the canvas holds it; whether
// the browser refused the page's last request or has none; whether a client
// point lies over the picture.
bool LockPointer();
bool PointerLocked();
bool PointerRefused();
bool OverCanvas(int x, int y);
// Whether a movement came of the canvas's move into fullscreen.
bool MovedByFullscreen(double timeStamp, int dx, int dy);

// Lines over the picture: playing with the pointer free; the GPU lost.
void ShowPointerHint(bool show);
void ShowContextLost(bool lost);

// The page's title, its icon (a BMP file's bytes) and the cursor over the picture.
void SetTitle(const char* title);
void ShowIcon(const unsigned char* bmp, int size);
void ShowCursor(bool show);

// The fullscreen the start click asked for: 0 while still pending, 1 when
// the canvas is fullscreen on a screen of at least width x height, 2
// otherwise. And leaving it.
int FullscreenOutcome(int width, int height);
void LeaveFullscreen();

// A message box drawn by the page; its answer is 0 while it is open, then
// the number of the button pressed.
void OpenBox(const char* text, const char* caption, bool yesNo);
int BoxAnswer();

// The frame's pace, kept by the page: a sleep that takes about what it
// says; after a frame, whether the browser has fallen behind showing them;
// and a wait for its next display frame (a moment at most while hidden).
void Sleep(int milliseconds);
bool DisplayBehind();
void AwaitDisplay();

// The pads the browser shows the page, in its standard layout, each as
// kPadFields numbers: its index; the sticks (left x, y, right x, y, from -1
// to 1, right and down positive) and the right trigger (0 to 1); then 1 or
// 0 for the south button, Back, Start, and the D-pad's up, down, left and
// right. Returns how many pads were written, at most `capacity`.
constexpr int kPadFields = 13;
int ReadPads(float* readings, int capacity);
// A pad did something: the page's touch controls and its line asking for a
// pad make way. Start was pressed: the pause choice, or going on from it.
void PadUsed();
void PadPause();

// A frame was shown: what it cost the page itself (negative when unknown)
// and the time from the one before, for whoever drives the page.
void FrameShown(double cost, double interval);

}  // namespace plat::web::page

// The page's calls into the game (exported): what the touch controls do.
extern "C" {
void VeldrakeTouchKey(int code, int down);  // a virtual-key code goes down or up
void VeldrakeTouchLook(int dx, int dy);     // a drag, in pixels, as the mouse moves
void VeldrakeTouchFire();
void VeldrakeTouchPause(int paused);  // the pause control: 1 stops the game, 0 goes on
}
