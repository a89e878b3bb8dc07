// Window start-up and teardown over the double: every step's failure, the
// fullscreen fallback and the order of the releases.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/game_window.h"
#include "shell_state.h"

namespace {

namespace fs = std::filesystem;
using Names = std::vector<std::string>;

// Keeps folders of test runs at the same time (native and Windows) apart.
std::string UniqueTag() { return std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()); }

bool Create(bool fullscreenRequested = true) { return CreateGameWindow("Veldrake", 1280, 720, 32, fullscreenRequested); }

void FailAt(fake::Fail step) { fake::state().fail[static_cast<int>(step)] = true; }

// The calls from the first one with this name to the end.
Names From(const std::string& name) {
    Names names = fake::CallNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return Names(names.begin() + static_cast<long>(i), names.end());
    return {};
}

class GameWindow : public ::testing::Test {
protected:
    void SetUp() override { ResetShell(); }
};

TEST_F(GameWindow, EachFailingStepTearsDownThenShowsItsBox) {
    struct Case {
        fake::Fail step;
        const char* failingCall;
        const char* text;
        Names teardown;  // between the failing call and the box
    };
    const Names restore = {"ChangeDisplaySettings", "ShowCursor"};
    const Case cases[] = {
        {fake::Fail::CreateWindowEx, "CreateWindowEx", "Window Creation Error.", restore},
        {fake::Fail::GetDC, "GetDC", "Can't Create A GL Device Context.", {"DestroyWindow"}},
        {fake::Fail::ChoosePixelFormat, "ChoosePixelFormat", "Can't Find A Suitable PixelFormat.",
         {"ReleaseDC", "DestroyWindow"}},
        {fake::Fail::SetPixelFormat, "SetPixelFormat", "Can't Set The PixelFormat.", {"ReleaseDC", "DestroyWindow"}},
        {fake::Fail::wglCreateContext, "wglCreateContext", "Can't Create A GL Rendering Context.",
         {"ReleaseDC", "DestroyWindow"}},
        {fake::Fail::wglMakeCurrent, "wglMakeCurrent", "Can't Activate The GL Rendering Context.",
         {"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        ResetShell();
        FailAt(c.step);
        EXPECT_FALSE(Create());
        Names expected = {c.failingCall};
        expected.insert(expected.end(), c.teardown.begin(), c.teardown.end());
        if (c.step != fake::Fail::CreateWindowEx) expected.insert(expected.end(), restore.begin(), restore.end());
        expected.push_back("MessageBox");
        EXPECT_EQ(From(c.failingCall), expected);

        const auto boxes = fake::CallsNamed("MessageBox");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].caption, "ERROR");
        EXPECT_EQ(boxes[0].flags, plat::MB_OK | plat::MB_ICONEXCLAMATION);
        EXPECT_EQ(fake::CallsNamed("ShowCursor").back().a, 1);
        EXPECT_EQ(gameWindow, nullptr);
        EXPECT_EQ(deviceContext, nullptr);
        EXPECT_EQ(renderingContext, nullptr);
    }

    // A class that cannot be registered leaves nothing to tear down.
    ResetShell();
    FailAt(fake::Fail::RegisterClass);
    EXPECT_FALSE(Create());
    EXPECT_EQ(From("RegisterClass"), (Names{"RegisterClass", "MessageBox"}));
    EXPECT_EQ(fake::CallsNamed("MessageBox")[0].text, "Failed To Register The Window Class.");
}

TEST_F(GameWindow, FullscreenStartAndTeardownInOrder) {
    ASSERT_TRUE(Create());
    EXPECT_TRUE(fullscreen);
    const auto modes = fake::CallsNamed("ChangeDisplaySettings");
    ASSERT_EQ(modes.size(), 2u);
    EXPECT_FALSE(modes[0].hasMode);  // the default mode comes back first, on every run
    EXPECT_TRUE(modes[1].hasMode);
    EXPECT_EQ(modes[1].a, 1280);
    EXPECT_EQ(modes[1].b, 720);
    EXPECT_EQ(modes[1].c, 32);
    EXPECT_EQ(modes[1].flags, plat::CDS_FULLSCREEN);

    const auto window = fake::CallsNamed("CreateWindowEx").at(0);
    EXPECT_EQ(window.caption, "OpenGL");
    EXPECT_EQ(window.exStyle, plat::WS_EX_APPWINDOW);
    EXPECT_EQ(window.flags, plat::WS_POPUP | plat::WS_CLIPSIBLINGS | plat::WS_CLIPCHILDREN);
    EXPECT_EQ(From("ShowCursor").at(1), "CreateWindowEx");  // hidden before the window appears

    const auto format = fake::CallsNamed("ChoosePixelFormat").at(0);
    EXPECT_EQ(format.a, 32);
    EXPECT_EQ(format.b, 16);
    EXPECT_EQ(format.flags, plat::PFD_DRAW_TO_WINDOW | plat::PFD_SUPPORT_OPENGL | plat::PFD_DOUBLEBUFFER);
    // Shown, then the scene: extension lookups, cursor, timer.
    const std::string lookup = "wglGetProcAddress";
    EXPECT_EQ(From("ShowWindow"),
              (Names{"ShowWindow", "SetForegroundWindow", "SetFocus", lookup, lookup, lookup, lookup, lookup, lookup,
                     "SetCursorPos", "SetCursorPos", "QueryPerformanceFrequency", "QueryPerformanceCounter"}));
    const auto cursor = fake::CallsNamed("SetCursorPos");
    EXPECT_EQ(cursor[1].a, 320);
    EXPECT_EQ(cursor[1].b, 240);
    EXPECT_TRUE(fake::CallsNamed("MessageBox").empty());

    // The sound device is bound to the window and 45 shot sounds are made at 44100 Hz.
    ASSERT_EQ(fake::AudioCallsNamed("CreateAudioOutput").size(), 1u);
    EXPECT_EQ(fake::AudioCallsNamed("CreateAudioOutput")[0].window, fake::kWindow);
    const auto rates = fake::AudioCallsNamed("SetVoiceFrequency");
    ASSERT_EQ(rates.size(), 45u);
    for (const auto& rate : rates) EXPECT_EQ(rate.value, 44100);
    EXPECT_NE(textures[tex::floor], 0u);
    EXPECT_FALSE(multitextureSupported);  // the double finds no entry points

    fake::state().calls.clear();
    DestroyGameWindow();
    EXPECT_EQ(fake::CallNames(), (Names{"wglMakeCurrent", "wglDeleteContext", "ReleaseDC", "DestroyWindow",
                                        "ChangeDisplaySettings", "ShowCursor"}));
    EXPECT_EQ(fake::AudioCallsNamed("ReleaseVoice").size(), 45u);
    EXPECT_EQ(fake::AudioCallNames().back(), "CloseAudioDevice");
    EXPECT_EQ(fake::state().cursorCount, 0);
    EXPECT_EQ(gameWindow, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
}

TEST_F(GameWindow, RefusedModeAnsweredYesRunsWindowedWithTheCursorAndNoRestore) {
    FailAt(fake::Fail::ChangeDisplaySettings);
    fake::state().messageBoxAnswers = {plat::IDYES};
    ASSERT_TRUE(Create());
    EXPECT_FALSE(fullscreen);
    const auto box = fake::CallsNamed("MessageBox").at(0);
    EXPECT_EQ(box.text, "The Requested Fullscreen Mode Is Not Supported By\nYour Video Card. Use Windowed Mode Instead?");
    EXPECT_EQ(box.caption, "Tamo GL");
    EXPECT_EQ(box.flags, plat::MB_YESNO | plat::MB_ICONEXCLAMATION);
    const auto window = fake::CallsNamed("CreateWindowEx").at(0);
    EXPECT_EQ(window.exStyle, plat::WS_EX_APPWINDOW | plat::WS_EX_WINDOWEDGE);
    EXPECT_EQ(window.flags, plat::WS_OVERLAPPEDWINDOW | plat::WS_CLIPSIBLINGS | plat::WS_CLIPCHILDREN);
    EXPECT_EQ(window.a, 0);
    EXPECT_EQ(window.b, 0);
    EXPECT_EQ(window.c, 1280);
    EXPECT_EQ(window.d, 720);

    fake::state().calls.clear();
    DestroyGameWindow();
    EXPECT_TRUE(fake::CallsNamed("ChangeDisplaySettings").empty());
    EXPECT_TRUE(fake::CallsNamed("ShowCursor").empty());
    EXPECT_EQ(fake::state().cursorCount, 0);  // never hidden

    // Answered No: the second box closes the program, with nothing to tear down.
    ResetShell();
    FailAt(fake::Fail::ChangeDisplaySettings);
    EXPECT_FALSE(Create());
    const auto boxes = fake::CallsNamed("MessageBox");
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, "Program Will Now Close.");
    EXPECT_EQ(boxes[1].caption, "ERROR");
    EXPECT_EQ(boxes[1].flags, plat::MB_OK | plat::MB_ICONSTOP);
    EXPECT_EQ(fake::CallNames().back(), "MessageBox");
}

TEST_F(GameWindow, SceneStartUpNeedsTheSoundOutputAndATextureButNotTheShotSound) {
    fake::FailAudio(fake::AudioFail::CreateOutput);
    EXPECT_FALSE(Create());
    EXPECT_EQ(From("DestroyWindow"), (Names{"DestroyWindow", "ChangeDisplaySettings", "ShowCursor", "MessageBox"}));
    EXPECT_EQ(fake::CallsNamed("MessageBox").at(0).text, "Initialization Failed.");
    EXPECT_EQ(renderingContext, nullptr);

    // A folder with the textures but no rifle.wav: silent shots, but a game.
    const fs::path folder = fs::path(testing::TempDir()) / ("veldrake-shell-" + UniqueTag());
    const fs::path textures = folder / "texture";
    fs::remove_all(folder);
    ASSERT_TRUE(fs::create_directories(folder));
    fs::copy(fs::path(kGameData) / "texture", textures, fs::copy_options::recursive);
    ResetShell(folder.string().c_str());
    EXPECT_TRUE(Create());
    EXPECT_TRUE(fake::AudioCallsNamed("CreateVoice").empty());
    EXPECT_TRUE(fake::CallsNamed("MessageBox").empty());
    DestroyGameWindow();

    // Without a single texture there is nothing to show.
    fs::remove_all(textures);
    ResetShell(folder.string().c_str());
    EXPECT_FALSE(Create());
    EXPECT_EQ(fake::CallsNamed("MessageBox").at(0).text, "Initialization Failed.");
    EXPECT_EQ(gameWindow, nullptr);
    ResetShell();
    fs::remove_all(folder);
}

TEST_F(GameWindow, ShutdownFailuresAreReportedAndShutdownGoesOn) {
    ASSERT_TRUE(Create());
    FailAt(fake::Fail::wglReleaseCurrent);
    FailAt(fake::Fail::wglDeleteContext);
    FailAt(fake::Fail::ReleaseDC);
    FailAt(fake::Fail::DestroyWindow);
    fake::state().calls.clear();
    DestroyGameWindow();
    const auto boxes = fake::CallsNamed("MessageBox");
    const Names texts = {"Release Of DC And RC Failed.", "Release Rendering Context Failed.",
                         "Release Device Context Failed.", "Could Not Release hWnd."};
    ASSERT_EQ(boxes.size(), texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(boxes[i].text, texts[i]);
        EXPECT_EQ(boxes[i].caption, "SHUTDOWN ERROR");
        EXPECT_EQ(boxes[i].flags, plat::MB_OK | plat::MB_ICONINFORMATION);
    }
    EXPECT_EQ(From("ChangeDisplaySettings"), (Names{"ChangeDisplaySettings", "ShowCursor"}));
    EXPECT_EQ(renderingContext, nullptr);
    EXPECT_EQ(deviceContext, nullptr);
    EXPECT_EQ(gameWindow, nullptr);

    // A second teardown finds nothing left to release.
    fake::state().calls.clear();
    fullscreen = false;
    DestroyGameWindow();
    EXPECT_TRUE(fake::state().calls.empty());
}

}  // namespace
