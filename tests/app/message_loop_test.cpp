// WinMain over the double: the loop's rhythm and the ways it ends.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/message_loop.h"
#include "platform/message_queue.h"
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

// The queue the SDL and browser layers fill from their events, step by step:
// what goes in, and what the game takes out next (0: nothing to take now).
TEST(MessageQueue, PostedFirstMovesMergedAndAQuickReleaseHeldBackOneLook) {
    using namespace plat;
    enum Op { In, Post, Take, TakePosted, Drop };
    struct Step {
        Op op;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const LPARAM at100 = MakeLParam(100, 100), at140 = MakeLParam(140, 150);
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"the game's own quit comes before waiting input",
         {{In, WM_KEYDOWN, 'A', 0}, {Post, WM_QUIT, 3, 0}, {TakePosted, WM_QUIT, 3, 0}, {TakePosted, 0, 0, 0},
          {Take, WM_KEYDOWN, 'A', 0}, {Take, 0, 0, 0}}},
        {"moves merge into the latest, queued behind a key that came between them",
         {{In, WM_MOUSEMOVE, 0, at100}, {In, WM_KEYDOWN, 'A', 0}, {In, WM_MOUSEMOVE, 0, MakeLParam(120, 130)},
          {In, WM_MOUSEMOVE, 0, at140}, {Take, WM_KEYDOWN, 'A', 0}, {Take, WM_MOUSEMOVE, 0, at140},
          {Take, 0, 0, 0}}},
        {"a tap's release waits until the queue has once looked empty, and what is behind it too",
         {{In, WM_KEYDOWN, VK_SPACE, 0}, {In, WM_KEYUP, VK_SPACE, 0}, {In, WM_KEYDOWN, 'W', 0},
          {Take, WM_KEYDOWN, VK_SPACE, 0}, {Take, 0, 0, 0}, {Take, WM_KEYUP, VK_SPACE, 0},
          {Take, WM_KEYDOWN, 'W', 0}, {Take, 0, 0, 0}}},
        {"a release of a key held over an empty look, or of another key, comes at once",
         {{In, WM_KEYDOWN, 'A', 0}, {Take, WM_KEYDOWN, 'A', 0}, {Take, 0, 0, 0}, {In, WM_KEYDOWN, 'D', 0},
          {In, WM_KEYUP, 'A', 0}, {Take, WM_KEYDOWN, 'D', 0}, {Take, WM_KEYUP, 'A', 0}}},
        {"dropped input leaves the posted quit",
         {{In, WM_KEYDOWN, 'A', 0}, {Post, WM_QUIT, 0, 0}, {Drop, 0, 0, 0}, {Take, 0, 0, 0},
          {TakePosted, WM_QUIT, 0, 0}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MessageQueue queue;
        int index = 0;
        for (const Step& step : c.steps) {
            SCOPED_TRACE("step " + std::to_string(index++));
            const MSG message{nullptr, step.message, step.wParam, step.lParam};
            MSG taken{};
            switch (step.op) {
            case In: queue.Enqueue(message); break;
            case Post: queue.Post(message); break;
            case Drop: queue.DropInput(); break;
            case Take:
            case TakePosted: {
                const bool got = step.op == Take ? queue.TakeInput(&taken) : queue.TakePosted(&taken);
                ASSERT_EQ(got, step.message != 0);
                if (!got) break;
                EXPECT_EQ(taken.message, step.message);
                EXPECT_EQ(taken.wParam, step.wParam);
                EXPECT_EQ(taken.lParam, step.lParam);
            }
            }
        }
    }
}

}  // namespace
