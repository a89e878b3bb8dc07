// The game's window on the real display (SDL2, Mesa, Xvfb at 1280x720x24):
// what it looks like from the X server, the context it carries, and the
// messages that X input becomes.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/game_state.h"
#include "app/game_window.h"
#include "platform/window.h"
#include "gl_support/x_display.h"

namespace {

// Messages taken from the queue until one that `wanted` accepts arrives, or 3 s pass.
std::vector<plat::MSG> CollectUntil(const std::function<bool(const plat::MSG&)>& wanted) {
    std::vector<plat::MSG> taken;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (std::chrono::steady_clock::now() < end) {
        plat::MSG next{};
        if (!plat::PeekMessage(&next)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            continue;
        }
        taken.push_back(next);
        if (wanted(next)) break;
    }
    return taken;
}

std::vector<plat::MSG> CollectUntil(plat::UINT message, plat::WPARAM wParam = 0, bool matchWParam = false) {
    return CollectUntil(
        [=](const plat::MSG& m) { return m.message == message && (!matchWParam || m.wParam == wParam); });
}

bool Received(const std::vector<plat::MSG>& taken, plat::UINT message, plat::WPARAM wParam) {
    for (const plat::MSG& m : taken)
        if (m.message == message && m.wParam == wParam) return true;
    return false;
}

class RealWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Start-up reads the game data from the working directory.
        if (chdir(VELDRAKE_BINARY_DIR "/data") != 0) {
            ASSERT_EQ(chdir("/tmp"), 0);
        }
        x = xtest::OpenDisplay();
        ASSERT_NE(x, nullptr);
        ASSERT_TRUE(CreateGameWindow("Veldrake", 1280, 720, 32, true));
        window = xtest::WaitForWindow(x, "Veldrake", 5);
    }
    static void TearDownTestSuite() {
        DestroyGameWindow();
        XCloseDisplay(x);
    }
    static Display* x;
    static Window window;
};
Display* RealWindow::x = nullptr;
Window RealWindow::window = 0;

TEST_F(RealWindow, OpensFullscreenAtTheGameSizeWithACurrentDoubleBufferedContext) {
    ASSERT_NE(window, 0u) << "no mapped window titled Veldrake";
    XWindowAttributes attributes{};
    XGetWindowAttributes(x, window, &attributes);
    EXPECT_EQ(attributes.width, 1280);
    EXPECT_EQ(attributes.height, 720);
    EXPECT_TRUE(fullscreen) << "the display offers 1280x720 at 32 bits";

    const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    ASSERT_NE(version, nullptr) << "no current context";
    EXPECT_NE(std::string(version).find("Compatibility"), std::string::npos) << version;
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    EXPECT_NE(plat::wglGetProcAddress("glActiveTextureARB"), nullptr);

    // The fixed state the frames rely on.
    GLfloat clear[4] = {1, 1, 1, 0};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_EQ(clear[0] + clear[1] + clear[2], 0.0f);
    EXPECT_EQ(clear[3], 1.0f);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_EQ(depthFunction, GL_LEQUAL);
}

TEST_F(RealWindow, AFramesClearShowsBlackOnTheScreenAfterTheSwap) {
    ASSERT_NE(window, 0u);
    // Something red first, so that black can only come from the clear.
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glRectf(-1, -1, 1, 1);
    ASSERT_TRUE(plat::SwapBuffers(deviceContext));
    glFinish();
    XSync(x, False);
    EXPECT_EQ(xtest::ScreenPixel(x, window, 640, 360), (std::array<int, 3>{255, 0, 0}));

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ASSERT_TRUE(plat::SwapBuffers(deviceContext));
    glFinish();
    XSync(x, False);
    EXPECT_EQ(xtest::ScreenPixel(x, window, 640, 360), (std::array<int, 3>{0, 0, 0}));
    EXPECT_EQ(xtest::ScreenPixel(x, window, 5, 715), (std::array<int, 3>{0, 0, 0}));
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_TEXTURE_2D);
}

TEST_F(RealWindow, ZeroHeightGivesAOnePixelViewportAndTheWidthAsAspect) {
    ResizeScene(640, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 1);
    GLdouble projection[16] = {};
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5] / projection[0], 640.0, 1e-3);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    ResizeScene(1280, 720);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 720);
}

TEST_F(RealWindow, XInputArrivesAsWindowMessagesWithVirtualKeyCodes) {
    ASSERT_NE(window, 0u);
    const std::string target = " --window " + std::to_string(window) + " ";
    const struct {
        const char* name;
        plat::WPARAM code;
    } keys[] = {{"w", 'W'}, {"a", 'A'}, {"s", 'S'}, {"d", 'D'}, {"Up", plat::VK_UP}, {"Down", plat::VK_DOWN},
                {"Left", plat::VK_LEFT}, {"Right", plat::VK_RIGHT}, {"space", plat::VK_SPACE},
                {"Escape", plat::VK_ESCAPE}, {"F1", plat::VK_F1}, {"Return", plat::VK_RETURN},
                // NumLock is off: the keypad's arrows are arrows.
                {"KP_Up", plat::VK_UP}, {"KP_Down", plat::VK_DOWN}, {"KP_Left", plat::VK_LEFT},
                {"KP_Right", plat::VK_RIGHT}};
    for (const auto& key : keys) {
        SCOPED_TRACE(key.name);
        ASSERT_TRUE(xtest::Xdo("keydown" + target + key.name));
        EXPECT_TRUE(Received(CollectUntil(plat::WM_KEYDOWN, key.code, true), plat::WM_KEYDOWN, key.code));
        ASSERT_TRUE(xtest::Xdo("keyup" + target + key.name));
        EXPECT_TRUE(Received(CollectUntil(plat::WM_KEYUP, key.code, true), plat::WM_KEYUP, key.code));
    }

    // (The queue's merging of moves and its held-back release are the
    // MessageQueue table's; here, only that X input reaches it.)
    std::vector<plat::MSG> taken;

    // A warp is reported later as a move to the new place, in client pixels.
    ASSERT_TRUE(plat::SetCursorPos(123, 234));
    taken = CollectUntil(plat::WM_MOUSEMOVE);
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.back().message, plat::WM_MOUSEMOVE);
    EXPECT_EQ(taken.back().lParam, plat::MakeLParam(123, 234));

    // Only the left button fires: the right and middle ones come to nothing.
    // X keeps the order, so everything from the clicks is in before the key.
    ASSERT_TRUE(xtest::Xdo("click" + target + "3 click" + target + "2 click" + target + "1 keydown" + target + "F1"));
    taken = CollectUntil(plat::WM_KEYDOWN, plat::VK_F1, true);
    ASSERT_TRUE(Received(taken, plat::WM_KEYDOWN, plat::VK_F1));
    const auto fires = [](const plat::MSG& m) { return m.message == plat::WM_LBUTTONDOWN; };
    EXPECT_EQ(std::count_if(taken.begin(), taken.end(), fires), 1);
    ASSERT_TRUE(xtest::Xdo("keyup" + target + "F1"));
    CollectUntil(plat::WM_KEYUP, plat::VK_F1, true);

    // A window manager's close becomes the close message; the window stays
    // until the game tears it down.
    xtest::SendDeleteWindow(x, window);
    taken = CollectUntil(plat::WM_CLOSE);
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.back().message, plat::WM_CLOSE);
    EXPECT_NE(xtest::FindByTitle(x, DefaultRootWindow(x), "Veldrake"), 0u);
}

// A pad of SDL's own making, opened by the layer as a game controller like
// any pad SDL's database knows: plugged in and out while the game runs.
TEST_F(RealWindow, AGameControllerTurnsWalksFiresAndEndsAndLetsGoWhenPulledOut) {
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    SDL_VirtualJoystickDesc description{};
    description.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    description.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    description.naxes = SDL_CONTROLLER_AXIS_MAX;  // in the controller's order
    description.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    description.name = "Virtual pad";
    SDL_Joystick* pad = nullptr;
    const auto plugIn = [&] {
        const int device = SDL_JoystickAttachVirtualEx(&description);
        pad = device < 0 ? nullptr : SDL_JoystickOpen(device);
    };
    const auto pullOut = [&] {
        const SDL_JoystickID id = SDL_JoystickInstanceID(pad);
        SDL_JoystickClose(pad);
        for (int device = 0; device < SDL_NumJoysticks(); ++device)
            if (SDL_JoystickGetDeviceInstanceID(device) == id) SDL_JoystickDetachVirtual(device);
    };
    const auto is = [](plat::UINT message, plat::WPARAM wParam) {
        return [=](const plat::MSG& m) { return m.message == message && m.wParam == wParam; };
    };
    plugIn();
    ASSERT_NE(pad, nullptr) << SDL_GetError();

    // Turn: a full right stick moves the cursor on by 21 pixels, one step's turning.
    ASSERT_TRUE(plat::SetCursorPos(200, 200));
    CollectUntil(plat::WM_MOUSEMOVE);
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, SDL_JOYSTICK_AXIS_MAX);
    auto taken = CollectUntil(
        [](const plat::MSG& m) { return m.message == plat::WM_MOUSEMOVE && m.lParam != plat::MakeLParam(200, 200); });
    ASSERT_FALSE(taken.empty());
    EXPECT_EQ(taken.back().lParam, plat::MakeLParam(221, 200));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX, 0);

    // Walk, fire and end: W from the left stick, the trigger's press, Back's Escape.
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_LEFTY, SDL_JOYSTICK_AXIS_MIN);
    EXPECT_TRUE(Received(CollectUntil(is(plat::WM_KEYDOWN, 'W')), plat::WM_KEYDOWN, 'W'));
    SDL_JoystickSetVirtualAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT, SDL_JOYSTICK_AXIS_MAX);
    EXPECT_TRUE(Received(CollectUntil(plat::WM_LBUTTONDOWN), plat::WM_LBUTTONDOWN, 1));
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_BACK, SDL_PRESSED);
    EXPECT_TRUE(Received(CollectUntil(is(plat::WM_KEYDOWN, plat::VK_ESCAPE)), plat::WM_KEYDOWN, plat::VK_ESCAPE));

    // Pulled out mid-step, the pad lets go of the keys it held.
    pullOut();
    taken = CollectUntil(is(plat::WM_KEYUP, 'W'));  // let go of in the keys' order
    EXPECT_TRUE(Received(taken, plat::WM_KEYUP, 'W'));
    EXPECT_TRUE(Received(taken, plat::WM_KEYUP, plat::VK_ESCAPE));

    // Plugged in again, its south button fires.
    plugIn();
    ASSERT_NE(pad, nullptr) << SDL_GetError();
    SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, SDL_PRESSED);
    EXPECT_TRUE(Received(CollectUntil(plat::WM_LBUTTONDOWN), plat::WM_LBUTTONDOWN, 1));
    pullOut();
}

// Answers the next message box with this caption by pressing a key in it,
// from a separate shell: SDL shows its boxes from a forked process, which
// must not inherit an Xlib lock from a thread of ours.
void AnswerBox(const std::string& caption, const std::string& key) {
    const std::string find = "xwininfo -root -tree | awk '/\"" + caption + "\": /{print $1; exit}'";
    const std::string script = "for i in $(seq 200); do id=$(" + find + "); if [ -n \"$id\" ]; then " +
                               "xdotool key --window $id " + key + "; exit; fi; sleep 0.05; done";
    ASSERT_EQ(std::system(("(" + script + ") >/dev/null 2>&1 &").c_str()), 0);
}

TEST_F(RealWindow, MessageBoxesAnswerYesOnReturnAndNoOnEscape) {
    const char* question = "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?";
    AnswerBox("Tamo GL", "Return");
    EXPECT_EQ(plat::MessageBox(nullptr, question, "Tamo GL", plat::MB_YESNO | plat::MB_ICONEXCLAMATION), plat::IDYES);
    AnswerBox("Tamo GL", "Escape");
    EXPECT_EQ(plat::MessageBox(nullptr, question, "Tamo GL", plat::MB_YESNO | plat::MB_ICONEXCLAMATION), plat::IDNO);
    AnswerBox("ERROR", "Return");
    EXPECT_EQ(plat::MessageBox(nullptr, "Program Will Now Close.", "ERROR", plat::MB_OK | plat::MB_ICONSTOP), plat::IDOK);
}

TEST_F(RealWindow, TeardownLeavesNoWindowBehind) {
    DestroyGameWindow();
    EXPECT_EQ(gameWindow, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(renderingContext, nullptr);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (xtest::FindByTitle(x, DefaultRootWindow(x), "Veldrake") != 0 && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(xtest::FindByTitle(x, DefaultRootWindow(x), "Veldrake"), 0u);
}

}  // namespace
