// The built game as a player runs it: started on the test's display, ended
// by Escape or by a window manager's close, both within a second and with
// exit code 0.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "gl_support/x_display.h"

namespace {

using Clock = std::chrono::steady_clock;

class GameProcess {
public:
    GameProcess() {
        struct stat info {};
        const std::string data = VELDRAKE_BINARY_DIR "/data";
        const std::string folder = stat(data.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? data : "/tmp";
        pid_ = fork();
        if (pid_ == 0) {
            // No sound card here: OpenAL Soft's silent output stands in.
            setenv("ALSOFT_DRIVERS", "null", 1);
            if (chdir(folder.c_str()) != 0) _exit(126);
            execl(VELDRAKE_BINARY_DIR "/veldrake", "veldrake", static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~GameProcess() {
        if (pid_ > 0 && status_ < 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }

    // The exit code, or -1 if the game is still running after `seconds`.
    int WaitExit(double seconds) {
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        while (status_ < 0 && Clock::now() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = status;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (status_ < 0) return -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

class RealGame : public ::testing::Test {
protected:
    void SetUp() override {
        x = xtest::OpenDisplay();
        ASSERT_NE(x, nullptr);
        ASSERT_TRUE(game.Started());
        window = xtest::WaitForWindow(x, "Veldrake", 20);
        ASSERT_NE(window, 0u) << "the game showed no window titled Veldrake";
        XWindowAttributes attributes{};
        XGetWindowAttributes(x, window, &attributes);
        EXPECT_EQ(attributes.width, 1280);
        EXPECT_EQ(attributes.height, 720);
        // Let it run a few frames before ending it.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        ASSERT_EQ(game.WaitExit(0), -1) << "the game ended on its own";
    }
    void TearDown() override {
        if (x) XCloseDisplay(x);
    }
    double SecondsToExit(int* code) {
        const auto start = Clock::now();
        *code = game.WaitExit(5);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }

    GameProcess game;
    Display* x = nullptr;
    Window window = 0;
};

TEST_F(RealGame, EscapeEndsItWithinASecond) {
    // A quick tap: press and release reach the game within one frame.
    ASSERT_TRUE(xtest::Xdo("key --delay 0 --window " + std::to_string(window) + " Escape"));
    int code = -1;
    const double seconds = SecondsToExit(&code);
    EXPECT_EQ(code, 0);
    EXPECT_LT(seconds, 1.0);
}

TEST_F(RealGame, AWindowCloseEndsItWithinASecond) {
    xtest::SendDeleteWindow(x, window);
    int code = -1;
    const double seconds = SecondsToExit(&code);
    EXPECT_EQ(code, 0);
    EXPECT_LT(seconds, 1.0);
}

}  // namespace
