// WinMain over the double: the loop's rhythm and the ways it ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/message_loop.h"
#include "shell_state.h"

namespace {

int RunGame() { return WinMain(nullptr, nullptr, nullptr, 0); }

class MessageLoop : public ::testing::Test {
protected:
    void SetUp() override { ResetShell(); }
};

TEST_F(MessageLoop, HandlesOneMessagePerPassAndIdlesOnlyOnAnEmptyQueue) {
    fake::Post(plat::WM_KEYDOWN, 'A');
    fake::Post(plat::WM_MOUSEMOVE, 0, plat::MakeLParam(200, 200));
    fake::Post(plat::WM_KEYUP, 'A');
    // Two frames after the queue first drains, the window is closed.
    fake::state().afterSwap = [](int swaps) {
        if (swaps == 2) fake::Post(plat::WM_CLOSE);
    };
    EXPECT_EQ(RunGame(), 0);

    int dispatchedSincePeek = 0;
    bool lastPeekTook = false;
    int idleSteps = 0;
    int taken = 0;
    for (const fake::Call& call : fake::state().calls) {
        if (call.name == "PeekMessage") {
            EXPECT_LE(dispatchedSincePeek, 1);
            dispatchedSincePeek = 0;
            lastPeekTook = call.a == 1;
            taken += lastPeekTook;
        } else if (call.name == "DispatchMessage") {
            EXPECT_TRUE(lastPeekTook);
            ++dispatchedSincePeek;
        } else if (call.name == "SwapBuffers") {
            EXPECT_FALSE(lastPeekTook) << "an idle step ran with messages waiting";
            ++idleSteps;
        }
    }
    EXPECT_EQ(idleSteps, 2);
    // Three posted, two cursor moves from start-up, the close and its quit.
    EXPECT_EQ(taken, 7);
    EXPECT_FALSE(keys['A']);
    EXPECT_EQ(fake::CallsNamed("PostQuitMessage").size(), 1u);
    EXPECT_EQ(fake::CallsNamed("DestroyWindow").size(), 1u);
    EXPECT_EQ(fake::CallNames().back(), "ShowCursor");  // the teardown's last step
}

TEST_F(MessageLoop, QuitCodeIsReturnedAndEscapeEndsBeforeTheSwap) {
    fake::Post(plat::WM_QUIT, 3);
    EXPECT_EQ(RunGame(), 3);
    EXPECT_TRUE(fake::CallsNamed("SwapBuffers").empty());

    ResetShell();
    fake::Post(plat::WM_KEYDOWN, plat::VK_ESCAPE);
    // Escape ends the game normally: exit code 0, not the key's code.
    EXPECT_EQ(RunGame(), 0);
    EXPECT_TRUE(fake::CallsNamed("SwapBuffers").empty());
    EXPECT_FALSE(fake::CallsNamed("Sleep").empty()) << "the frame runs before Escape is looked at";
    EXPECT_EQ(fake::CallsNamed("DestroyWindow").size(), 1u);
    EXPECT_EQ(gameWindow, nullptr);
}

TEST_F(MessageLoop, StartsFullscreenAtTheGameSizeAndFacesTheCentre) {
    fake::Post(plat::WM_CLOSE);
    RunGame();
    const auto windows = fake::CallsNamed("CreateWindowEx");
    ASSERT_EQ(windows.size(), 1u);
    EXPECT_EQ(windows[0].text, "Veldrake");
    EXPECT_EQ(windows[0].flags & plat::WS_POPUP, plat::WS_POPUP);
    EXPECT_EQ(windows[0].c, 1280);
    EXPECT_EQ(windows[0].d, 720);
    // Start-up's cursor moves, to (322, 240) and then (320, 240), are the
    // first mouse messages: the view turns as for a first move to the centre.
    EXPECT_EQ(heading, 5.0);
    EXPECT_EQ(pitch, 30.0);
}

TEST_F(MessageLoop, DeclinedWindowedModeEndsWithExitCodeZero) {
    fake::state().fail[static_cast<int>(fake::Fail::ChangeDisplaySettings)] = true;
    fake::state().messageBoxAnswers = {plat::IDNO};
    EXPECT_EQ(RunGame(), 0);
    const auto boxes = fake::CallsNamed("MessageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Program Will Now Close.");
    EXPECT_TRUE(fake::CallsNamed("CreateWindowEx").empty());
    EXPECT_TRUE(fake::CallsNamed("PeekMessage").empty());
}

}  // namespace
