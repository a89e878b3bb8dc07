// The queue of window messages the SDL and browser layers fill from their
// own events, checked step by step without a window.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/message_queue.h"

namespace {

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
