#include "app/message_loop.h"

#include <cmath>

#include "app/game_state.h"
#include "app/game_window.h"
#include "sim/frame.h"

namespace {

constexpr double kDegreesToRadians = 0.01745329238474369;  // pi/180 in single precision
constexpr double kImpulse = 5.0;
constexpr double kStrafeOffset = 90.0;
constexpr double kKeyboardTurn = 0.5;
constexpr int kFireCooldownSteps = 70;

constexpr int kWarpLow = 10;
constexpr int kWarpHigh = 370;
constexpr double kWarpJump = 300.0;  // a longer jump between two messages was a warp
constexpr double kHalfRange = 180.0;
constexpr double kWarpDistance = 360.0;
constexpr double kPitchLimit = 85.0;

bool KeyDown(plat::WPARAM code) { return keys[code]; }

void AddImpulse(double headingDegrees, double sign) {
    velocityX += sign * kImpulse * std::sin(headingDegrees * kDegreesToRadians);
    velocityZ += sign * kImpulse * std::cos(headingDegrees * kDegreesToRadians);
}

// How far the view turns for a move from `last` to `now` on one axis; a
// warp across the square counts as exactly the distance between the bounds.
double MouseTurn(double last, double now) {
    if (std::fabs(last - now) > kWarpJump) {
        if (last > kHalfRange) return ((last - kWarpDistance) - now) / mouseDivisor;
        if (now > kHalfRange) return (last - (now - kWarpDistance)) / mouseDivisor;
        return 0.0;
    }
    return (last - now) / mouseDivisor;
}

void MouseLook(double x, double y) {
    // The cursor is held inside a square so it never stops at a screen edge.
    if (x > kWarpHigh)
        plat::SetCursorPos(kWarpLow, static_cast<int>(lastMouseY));
    else if (x < kWarpLow)
        plat::SetCursorPos(kWarpHigh, static_cast<int>(lastMouseY));
    if (y > kWarpHigh)
        plat::SetCursorPos(static_cast<int>(lastMouseX), kWarpLow);
    else if (y < kWarpLow)
        plat::SetCursorPos(static_cast<int>(lastMouseX), kWarpHigh);

    heading += MouseTurn(lastMouseX, x);
    pitch -= MouseTurn(lastMouseY, y);

    if (heading > 360.0)
        heading = 0.0;
    else if (heading < 0.0)
        heading = 360.0;
    if (pitch > kPitchLimit)
        pitch = kPitchLimit;
    else if (pitch < -kPitchLimit)
        pitch = -kPitchLimit;

    lastMouseX = x;
    lastMouseY = y;
}

void SetKey(plat::WPARAM code, bool down) {
    // Codes past the table come from no key the game knows; they are dropped
    // rather than written beyond it.
    if (code < sizeof keys / sizeof keys[0]) keys[code] = down;
}

}  // namespace

void IdleStep() {
    if (active && !RunFrame()) {
        done = 1;
        return;
    }
    if (KeyDown(plat::VK_ESCAPE)) {
        done = 1;
        return;
    }
    plat::SwapBuffers(deviceContext);

    if (--fireCooldown < 0) fireCooldown = 0;

    // The impulses follow the heading the frame just used.
    const double h = frameHeading;
    if (KeyDown(plat::VK_UP) || KeyDown('W')) AddImpulse(h, -1.0);
    if (KeyDown(plat::VK_DOWN) || KeyDown('S')) AddImpulse(h, 1.0);
    if (KeyDown('A')) AddImpulse(h - kStrafeOffset, 1.0);
    if (KeyDown('D')) AddImpulse(h + kStrafeOffset, 1.0);

    if (KeyDown(plat::VK_SPACE) && fireCooldown == 0) {
        fireCooldown = kFireCooldownSteps;
        fireRequested = true;
    }

    // Left wins when both are held; the heading is brought back into range
    // by the next mouse move, not here.
    if (KeyDown(plat::VK_LEFT))
        heading += kKeyboardTurn;
    else if (KeyDown(plat::VK_RIGHT))
        heading -= kKeyboardTurn;
}

plat::LRESULT WndProc(plat::Handle window, plat::UINT message, plat::WPARAM wParam, plat::LPARAM lParam) {
    const auto bits = static_cast<std::uintptr_t>(lParam);
    switch (message) {
    case plat::WM_ACTIVATE:
        active = plat::HiWord(wParam) == 0;
        break;
    case plat::WM_SYSCOMMAND:
        if (wParam == plat::SC_SCREENSAVE || wParam == plat::SC_MONITORPOWER) return 0;
        break;
    case plat::WM_CLOSE:
        plat::PostQuitMessage(0);
        break;
    case plat::WM_KEYDOWN:
        SetKey(wParam, true);
        break;
    case plat::WM_KEYUP:
        SetKey(wParam, false);
        break;
    case plat::WM_SIZE:
        ResizeScene(static_cast<int>(plat::LoWord(bits)), static_cast<int>(plat::HiWord(bits)));
        break;
    case plat::WM_MOUSEMOVE:
        MouseLook(plat::LoWord(bits), plat::HiWord(bits));
        break;
    case plat::WM_LBUTTONDOWN:
        fireRequested = true;  // the button ignores and keeps the Space cooldown
        break;
    default:
        break;
    }
    return plat::DefWindowProc(window, message, wParam, lParam);
}

int WinMain(void*, void*, char*, int) {
    plat::MSG message{};
    fullscreen = true;
    if (!CreateGameWindow("Veldrake", 1280, 720, 32, fullscreen)) return 0;

    while (!done) {
        if (plat::PeekMessage(&message)) {
            if (message.message == plat::WM_QUIT) {
                done = 1;
            } else {
                plat::TranslateMessage(&message);
                plat::DispatchMessage(&message);
            }
        } else {
            IdleStep();
        }
    }
    DestroyGameWindow();
    // Only the quit message carries an exit code; Escape or a failed frame
    // end the game normally too, rather than with whatever key code came last.
    return message.message == plat::WM_QUIT ? static_cast<int>(message.wParam) : 0;
}
