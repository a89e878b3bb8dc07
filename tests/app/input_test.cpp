// The idle step's keyboard handling and the window procedure's mouse look,
// over the double. The window is minimised (active false) where a frame
// would otherwise blur the impulses with its damping.
#include <gtest/gtest.h>

#include <cmath>

#include "app/message_loop.h"
#include "app/startup.h"
#include "shell_state.h"

namespace {

void Key(plat::WPARAM code, bool down) { WndProc(fake::kWindow, down ? plat::WM_KEYDOWN : plat::WM_KEYUP, code, 0); }

void MouseTo(int x, int y) {
    WndProc(fake::kWindow, plat::WM_MOUSEMOVE, 0,
            plat::MakeLParam(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)));
}

class Input : public ::testing::Test {
protected:
    void SetUp() override {
        ResetShell();
        active = false;
        fake::state().warpQueuesMouseMove = false;
        TimerInit();  // the frame's pacing reads it
    }
};

TEST_F(Input, MovementKeysGiveOneImpulseEachAndOpposedKeysCancel) {
    Key(plat::VK_UP, true);
    Key('W', true);
    IdleStep();
    EXPECT_EQ(velocityX, 0.0);
    EXPECT_EQ(velocityZ, -5.0);  // forward at heading 0 is towards -z

    velocityZ = 0;
    frameHeading = 37.0;
    Key('S', true);
    IdleStep();
    EXPECT_EQ(velocityX, 0.0);
    EXPECT_EQ(velocityZ, 0.0);

    velocityX = 0;
    frameHeading = 0;
    Key(plat::VK_UP, false);
    Key('W', false);
    Key('S', false);
    Key('D', true);
    IdleStep();
    EXPECT_NEAR(velocityX, 5.0, 1e-6);  // strafe-right at heading 0 is towards +x
    Key('D', false);
    Key('A', true);
    IdleStep();
    EXPECT_NEAR(velocityX, 0.0, 1e-6);

    // The impulse follows the frame's heading, not the one the mouse has set since.
    Key('A', false);
    velocityX = velocityZ = 0;
    frameHeading = 90.0;
    heading = 200.0;
    Key('W', true);
    IdleStep();
    EXPECT_NEAR(velocityX, -5.0, 1e-9);  // heading 90 faces -x
    EXPECT_NEAR(velocityZ, 0.0, 1e-6);
}

TEST_F(Input, ArrowTurnsPreferLeftAndLeaveTheRangeUntilTheNextMouseMove) {
    heading = 359.75;
    Key(plat::VK_LEFT, true);
    Key(plat::VK_RIGHT, true);
    IdleStep();
    EXPECT_EQ(heading, 360.25);
    IdleStep();
    EXPECT_EQ(heading, 360.75);
    Key(plat::VK_LEFT, false);
    IdleStep();
    EXPECT_EQ(heading, 360.25);
    lastMouseX = lastMouseY = 100;
    MouseTo(100, 100);
    EXPECT_EQ(heading, 0.0);
}

TEST_F(Input, SpaceFiresOnceEverySeventyStepsAndTheButtonAlwaysFires) {
    Key(plat::VK_SPACE, true);
    IdleStep();
    EXPECT_TRUE(fireRequested);
    EXPECT_EQ(fireCooldown, 70);
    int steps = 0;
    fireRequested = false;
    while (!fireRequested && steps < 200) {
        IdleStep();
        ++steps;
    }
    EXPECT_EQ(steps, 70);

    // Mid-cooldown the button still fires, and leaves the countdown alone.
    fireRequested = false;
    fireCooldown = 30;
    WndProc(fake::kWindow, plat::WM_LBUTTONDOWN, 1, 0);
    EXPECT_TRUE(fireRequested);
    EXPECT_EQ(fireCooldown, 30);
    fireCooldown = 0;
    WndProc(fake::kWindow, plat::WM_LBUTTONDOWN, 1, 0);
    EXPECT_EQ(fireCooldown, 0);
}

TEST_F(Input, MouseLookTurnsAcrossWarpsAndKeepsItsRanges) {
    // The first move is measured from (0, 0); a jump past 300 pixels counts as a warp.
    MouseTo(320, 240);
    EXPECT_EQ(heading, 5.0);
    EXPECT_EQ(pitch, 30.0);
    EXPECT_TRUE(fake::CallsNamed("SetCursorPos").empty());

    heading = 100;
    lastMouseX = 365;
    lastMouseY = 200;
    MouseTo(371, 200);
    auto warps = fake::CallsNamed("SetCursorPos");
    ASSERT_EQ(warps.size(), 1u);
    EXPECT_EQ(warps[0].a, 10);
    EXPECT_EQ(warps[0].b, 200);
    EXPECT_EQ(heading, 100 - 6.0 / 8);
    MouseTo(10, 200);
    EXPECT_EQ(heading, 100 - 6.0 / 8 + 1.0 / 8);

    // Vertical warps keep the previous x; stored positions are truncated.
    lastMouseX = 123.9;
    lastMouseY = 360;
    MouseTo(123, 372);
    warps = fake::CallsNamed("SetCursorPos");
    ASSERT_EQ(warps.size(), 2u);
    EXPECT_EQ(warps[1].a, 123);
    EXPECT_EQ(warps[1].b, 10);

    heading = 359.9;
    lastMouseX = 200;
    MouseTo(192, 372);  // one degree left
    EXPECT_EQ(heading, 0.0);
    heading = 0.5;
    MouseTo(200, 372);  // one degree right
    EXPECT_EQ(heading, 360.0);

    pitch = 80;
    lastMouseY = 100;
    MouseTo(200, 180);  // ten degrees down
    EXPECT_EQ(pitch, 85.0);
    pitch = -80;
    MouseTo(200, 100);
    EXPECT_EQ(pitch, -85.0);
}

TEST_F(Input, WindowProcedureMessages) {
    WndProc(fake::kWindow, plat::WM_ACTIVATE, 1 | (1u << 16), 0);
    EXPECT_FALSE(active);
    WndProc(fake::kWindow, plat::WM_ACTIVATE, 0, 0);  // inactive but not minimised: still drawn
    EXPECT_TRUE(active);

    // Screen saver and monitor power-down are swallowed, other commands are not.
    const size_t before = fake::CallsNamed("DefWindowProc").size();
    EXPECT_EQ(WndProc(fake::kWindow, plat::WM_SYSCOMMAND, plat::SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(WndProc(fake::kWindow, plat::WM_SYSCOMMAND, plat::SC_MONITORPOWER, 0), 0);
    EXPECT_EQ(fake::CallsNamed("DefWindowProc").size(), before);
    WndProc(fake::kWindow, plat::WM_SYSCOMMAND, plat::SC_SCREENSAVE + 1, 0);
    EXPECT_EQ(fake::CallsNamed("DefWindowProc").size(), before + 1);

    // Codes beyond the key table are dropped, not written past it.
    Key(256, true);
    Key(0x1234, true);
    Key(255, true);
    EXPECT_TRUE(keys[255]);
    EXPECT_FALSE(keys[0]);
    EXPECT_FALSE(keys[0x34]);
}

TEST_F(Input, MinimisedWindowStillSwapsCountsAndTurnsWithoutAFrame) {
    WndProc(fake::kWindow, plat::WM_ACTIVATE, 1u << 16, 0);
    fireCooldown = 5;
    velocityZ = 10;
    Key(plat::VK_LEFT, true);
    IdleStep();
    EXPECT_EQ(fake::CallNames().back(), "SwapBuffers");
    EXPECT_TRUE(fake::CallsNamed("Sleep").empty());
    EXPECT_EQ(velocityZ, 10.0);  // no damping without a frame
    EXPECT_EQ(fireCooldown, 4);
    EXPECT_EQ(heading, 0.5);

    // Restored, the frame runs before the swap: it damps and paces.
    WndProc(fake::kWindow, plat::WM_ACTIVATE, 1, 0);
    IdleStep();
    EXPECT_FLOAT_EQ(static_cast<float>(velocityZ), 8.0f);
    EXPECT_FALSE(fake::CallsNamed("Sleep").empty());
}

}  // namespace
