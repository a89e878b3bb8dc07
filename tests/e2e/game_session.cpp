#include "e2e/game_session.h"

#include "gl_support/x_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace e2e {
namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string MakeTempDir() {
    char pattern[] = "/tmp/veldrake-e2e-XXXXXX";
    const char* dir = mkdtemp(pattern);
    return dir ? dir : "/tmp";
}

// Finds a mapped window by its exact title (message boxes set only a UTF-8 one).
unsigned long FindWindow(Display* x, const std::string& title) {
    Window window = xtest::FindByTitle(x, DefaultRootWindow(x), title);
    XWindowAttributes attributes;
    if (window && XGetWindowAttributes(x, window, &attributes) && attributes.map_state == IsViewable) return window;
    return 0;
}

}  // namespace

std::array<int, 3> Image::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
    const std::uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    return {p[0], p[1], p[2]};
}

bool Image::SavePpm(const std::string& path) const {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    return static_cast<bool>(out);
}

std::string GameBinary() {
    const char* game = std::getenv("VELDRAKE_GAME");
    return game ? game : VELDRAKE_BINARY_DIR "/veldrake";
}

std::string BuiltDataDir() {
    const char* data = std::getenv("VELDRAKE_DATA");
    return data ? data : VELDRAKE_BINARY_DIR "/data";
}

GameSession::GameSession(const SessionOptions& options) : options_(options) {
    workDir_ = MakeTempDir();
    audioPath_ = workDir_ + "/capture.wav";
    stderrPath_ = workDir_ + "/stderr.txt";
    int fds[2];
    if (pipe(fds) != 0) return;
    xvfb_ = fork();
    if (xvfb_ == 0) {
        dup2(fds[1], 3);
        int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", options_.screen.c_str(), "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buffer[32] = {};
    size_t got = 0;
    double deadline = Now() + 10;
    while (got < sizeof buffer - 1 && Now() < deadline) {
        ssize_t n = read(fds[0], buffer + got, sizeof buffer - 1 - got);
        if (n <= 0) break;
        got += static_cast<size_t>(n);
        if (std::memchr(buffer, '\n', got)) break;
    }
    close(fds[0]);
    if (got == 0) return;
    display_ = std::atoi(buffer);
    XSetErrorHandler(xtest::IgnoreXError);
    x_ = XOpenDisplay(DisplayName().c_str());
    if (!x_) display_ = -1;
}

GameSession::~GameSession() {
    if (game_ > 0) {
        kill(game_, SIGKILL);
        waitpid(game_, nullptr, 0);
    }
    if (x_) XCloseDisplay(static_cast<Display*>(x_));
    if (xvfb_ > 0) {
        kill(xvfb_, SIGTERM);
        waitpid(xvfb_, nullptr, 0);
    }
    if (!std::getenv("VELDRAKE_E2E_KEEP")) {
        std::string command = "rm -rf '" + workDir_ + "'";
        if (std::system(command.c_str()) != 0) std::perror("rm");
    }
}

std::string GameSession::DisplayName() const { return ":" + std::to_string(display_); }

bool GameSession::Launch() {
    if (display_ < 0) return false;
    std::string conf = workDir_ + "/alsoft.conf";
    {
        std::ofstream out(conf);
        out << "[general]\nchannels = stereo\nsample-type = int16\nfrequency = 44100\n"
            << "[wave]\nfile = " << audioPath_ << "\n";
    }
    Xdo("mousemove " + std::to_string(options_.pointerX) + " " + std::to_string(options_.pointerY));
    std::string dataDir = options_.dataDir.empty() ? BuiltDataDir() : options_.dataDir;
    std::string binary = GameBinary();
    game_ = fork();
    if (game_ == 0) {
        setenv("DISPLAY", DisplayName().c_str(), 1);
        setenv("ALSOFT_CONF", conf.c_str(), 1);
        // "none" names no backend OpenAL Soft has, so no device can be opened.
        setenv("ALSOFT_DRIVERS", options_.audioDriver == "none" ? "no-such-backend" : options_.audioDriver.c_str(),
               1);
        for (const std::string& assignment : options_.extraEnv) putenv(strdup(assignment.c_str()));
        int err = open(stderrPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        if (chdir(dataDir.c_str()) != 0) _exit(126);
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return game_ > 0;
}

bool GameSession::WaitForWindow(const std::string& title, double seconds) {
    if (!x_) return false;
    double deadline = Now() + seconds;
    while (Now() < deadline) {
        window_ = FindWindow(static_cast<Display*>(x_), title);
        if (window_) return true;
        if (!Running()) return false;
        Pause(0.02);
    }
    return false;
}

bool GameSession::Running() {
    if (game_ <= 0) return false;
    int status = 0;
    pid_t r = waitpid(game_, &status, WNOHANG);
    if (r == 0) return true;
    if (r == game_) {
        exitStatus_ = status;
        game_ = -1;
    }
    return false;
}

int GameSession::WaitExit(double seconds) {
    double deadline = Now() + seconds;
    while (Now() < deadline) {
        if (!Running()) {
            if (exitStatus_ < 0) return -1;
            return WIFEXITED(exitStatus_) ? WEXITSTATUS(exitStatus_) : -1;
        }
        Pause(0.01);
    }
    kill(game_, SIGKILL);
    waitpid(game_, nullptr, 0);
    game_ = -1;
    return -1;
}

bool GameSession::Xdo(const std::string& arguments) const {
    std::string command = "DISPLAY=" + DisplayName() + " xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

void GameSession::Key(const std::string& key) const { Xdo("key " + key); }

void GameSession::MoveMouse(int x, int y) const {
    Xdo("mousemove --window " + std::to_string(window_) + " " + std::to_string(x) + " " + std::to_string(y));
}

void GameSession::Click() const { Xdo("click 1"); }

void GameSession::HoldKey(const std::string& key, double seconds) const {
    Xdo("keydown " + key);
    Pause(seconds);
    Xdo("keyup " + key);
}

std::array<int, 2> GameSession::Pointer() const {
    Display* x = static_cast<Display*>(x_);
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, winX = -1, winY = -1;
    unsigned int mask = 0;
    if (x && window_) XQueryPointer(x, window_, &root, &child, &rootX, &rootY, &winX, &winY, &mask);
    return {winX, winY};
}

void GameSession::MotionFlood(int moves) const {
    Display* x = static_cast<Display*>(x_);
    if (!x || !window_) return;
    for (int i = 0; i < moves; ++i) XWarpPointer(x, 0, window_, 0, 0, 0, 0, i * 7 % 640, i * 3 % 480);
    XSync(x, False);
}

// Each step waits until the game has shown it (the view changes, or the
// pointer is warped back into the box): moves the game merged over more than
// 300 pixels would read as a warp.
void Sweep(GameSession& game, int pixels, int axis) {
    bool warped = false;
    for (int moves = 0; pixels != 0 && moves < 1000; ++moves) {
        std::array<int, 2> at = game.Pointer();
        const Image before = game.Screenshot();
        at[axis] += SweepStep(at[axis], &pixels, &warped);
        game.MoveMouse(at[0], at[1]);
        for (double waited = 0; waited < 5; waited += 0.02) {
            game.Pause(0.02);
            const int now = game.Pointer()[axis];
            if (warped ? now >= 10 && now <= 370 : Difference(before, game.Screenshot()) > 0.5) break;
        }
    }
}

int SweepStep(int at, int* pixels, bool* warped) {
    const int step = *warped ? 40 : 150;
    const int sign = *pixels < 0 ? -1 : 1;
    const int d = std::min({step, sign * *pixels, sign < 0 ? at - 10 : 370 - at});
    *warped = d == 0;
    *pixels -= sign * d;
    return sign * (*warped ? 1 : d);
}

void GameSession::TurnLeft(double degrees) { Sweep(*this, -static_cast<int>(std::lround(degrees * 8)), 0); }

void GameSession::TiltDown(double degrees) { Sweep(*this, static_cast<int>(std::lround(degrees * 8)), 1); }

void GameSession::Pause(double seconds) const {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Image GameSession::Screenshot() const {
    Image image;
    Display* x = static_cast<Display*>(x_);
    if (!x || !window_) return image;
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x, window_, &attributes)) return image;
    // Only the part of the window that is on the screen can be read.
    int width = std::min(attributes.width, WidthOfScreen(attributes.screen) - attributes.x);
    int height = std::min(attributes.height, HeightOfScreen(attributes.screen) - attributes.y);
    XImage* shot = XGetImage(x, window_, 0, 0, width, height, AllPlanes, ZPixmap);
    if (!shot) return image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    for (int y = 0; y < image.height; ++y)
        for (int xx = 0; xx < image.width; ++xx) {
            unsigned long p = XGetPixel(shot, xx, y);
            std::uint8_t* out = &image.rgb[(static_cast<size_t>(y) * image.width + xx) * 3];
            out[0] = static_cast<std::uint8_t>((p & shot->red_mask) >> 16);
            out[1] = static_cast<std::uint8_t>((p & shot->green_mask) >> 8);
            out[2] = static_cast<std::uint8_t>(p & shot->blue_mask);
        }
    XDestroyImage(shot);
    return image;
}

bool GameSession::AwaitDrawn(double seconds) const {
    for (double deadline = Now() + seconds; Now() < deadline; Pause(0.05)) {
        const Image screen = Screenshot();
        for (std::size_t i = 0; i < screen.rgb.size(); i += 3 * 97)
            if (screen.rgb[i] | screen.rgb[i + 1] | screen.rgb[i + 2]) return true;
    }
    return false;
}

std::array<int, 2> GameSession::WindowSize() const {
    XWindowAttributes attributes;
    if (!x_ || !window_ || !XGetWindowAttributes(static_cast<Display*>(x_), window_, &attributes)) return {0, 0};
    return {attributes.width, attributes.height};
}

void GameSession::FocusElsewhere() const {
    Display* x = static_cast<Display*>(x_);
    if (!x) return;
    Window other = XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, 32, 32, 0, 0, 0);
    XMapRaised(x, other);
    XWindowAttributes attributes{};
    for (int i = 0; i < 200 && (!XGetWindowAttributes(x, other, &attributes) || attributes.map_state != IsViewable);
         ++i)
        Pause(0.01);
    XSetInputFocus(x, other, RevertToParent, CurrentTime);
    XSync(x, False);
}

void GameSession::CloseWindow() const {
    if (x_ && window_) xtest::SendDeleteWindow(static_cast<Display*>(x_), window_);
}

bool GameSession::KeyInWindow(const std::string& title, const std::string& key) {
    // A box may carry its title a moment before it is shown (under Wine).
    unsigned long box = 0;
    for (double deadline = Now() + 5; !box && Now() < deadline; Pause(0.02))
        box = FindWindow(static_cast<Display*>(x_), title);
    if (!box || !Xdo("key --window " + std::to_string(box) + " " + key)) return false;
    for (double deadline = Now() + 5; Now() < deadline; Pause(0.02))
        if (FindWindow(static_cast<Display*>(x_), title) != box) return true;
    return false;
}

std::vector<unsigned long> GameSession::WindowIcon() const {
    std::vector<unsigned long> icon;
    Display* x = static_cast<Display*>(x_);
    if (!x || !window_) return icon;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, window_, XInternAtom(x, "_NET_WM_ICON", False), 0, 1 << 20, False, AnyPropertyType,
                           &type, &format, &count, &after, &data) == Success && data && format == 32) {
        // 32-bit items come as longs, which a writer may have sign-extended.
        const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long i = 0; i < count; ++i) icon.push_back(values[i] & 0xFFFFFFFFul);
    }
    if (data) XFree(data);
    return icon;
}

std::vector<std::string> GameSession::WindowTitles() const {
    std::vector<std::string> titles;
    Display* x = static_cast<Display*>(x_);
    if (!x) return titles;
    Window root = DefaultRootWindow(x), parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(x, root, &root, &parent, &children, &count)) return titles;
    for (unsigned int i = 0; i < count; ++i) titles.push_back(xtest::TitleOf(x, children[i]));
    if (children) XFree(children);
    return titles;
}

long GameSession::PeakResidentMiB() const {
    if (game_ <= 0) return -1;
    std::ifstream status("/proc/" + std::to_string(game_) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6) / 1024;
    return -1;
}

bool GameSession::Signal(int signal) const { return game_ > 0 && kill(game_, signal) == 0; }

bool GameSession::DestroyWindowFromOutside(const std::string& title) const {
    Display* x = static_cast<Display*>(x_);
    unsigned long window = x ? FindWindow(x, title) : 0;
    if (!window) return false;
    XDestroyWindow(x, window);
    XSync(x, False);
    return true;
}

std::string GameSession::ErrorOutput() const {
    std::ifstream in(stderrPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double Difference(const Image& a, const Image& b) {
    double sum = 0;
    long n = 0;
    for (int y = 0; y < std::min(a.height, b.height); y += 4)
        for (int x = 0; x < std::min(a.width, b.width); x += 4) {
            auto p = a.At(x, y), q = b.At(x, y);
            sum += std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]);
            ++n;
        }
    return n ? sum / (3.0 * n) : 255;
}

std::array<double, 3> Mean(const Image& image, int x0, int y0, int x1, int y1) {
    std::array<double, 3> sum = {0, 0, 0};
    long n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            for (int c = 0; c < 3; ++c) sum[c] += image.At(x, y)[c];
    for (double& c : sum) c /= n ? n : 1;
    return sum;
}

double Brightness(const Image& image, int x0, int y0, int x1, int y1) {
    const auto mean = Mean(image, x0, y0, x1, y1);
    return (mean[0] + mean[1] + mean[2]) / 3;
}

void Keep(const Image& image, const std::string& name) {
    if (const char* dir = std::getenv("VELDRAKE_E2E_SHOTS")) image.SavePpm(std::string(dir) + "/" + name + ".ppm");
}

double MostGain(const Image& before, const Image& after) {
    double most = 0;
    for (int y = 0; y < std::min(before.height, after.height); y += 2)
        for (int x = 0; x < std::min(before.width, after.width); x += 2) {
            const auto p = before.At(x, y), q = after.At(x, y);
            most = std::max(most, (q[0] + q[1] + q[2] - p[0] - p[1] - p[2]) / 3.0);
        }
    return most;
}

double Capture::SecondsAt(std::uintmax_t bytes) const {
    return frameBytes && rate && bytes > dataStart ? double(bytes - dataStart) / frameBytes / rate : 0;
}

std::uintmax_t GameSession::Recorded() const {
    std::error_code error;
    const auto size = std::filesystem::file_size(audioPath_, error);
    return error ? 0 : size;
}

bool GameSession::AwaitHeard(std::uintmax_t from, double seconds) const {
    for (double deadline = Now() + seconds; Now() < deadline; Pause(0.1)) {
        Capture heard;
        if (!ReadCapture(audioPath_, &heard)) continue;
        for (const auto& [at, level] : heard.Blocks())
            if (at >= heard.SecondsAt(from) && level > 0.02) return true;
    }
    return false;
}

Levels Capture::Blocks() const {
    Levels levels;
    const size_t window = static_cast<size_t>(rate / 100);
    for (size_t start = 0; window && start + window <= samples.size(); start += window)
        levels.emplace_back(double(start) / rate, Rms(double(start) / rate, double(start + window) / rate));
    return levels;
}

double Capture::Rms(double fromSeconds, double toSeconds) const {
    size_t from = static_cast<size_t>(std::max(0.0, fromSeconds) * rate);
    size_t to = std::min(samples.size(), static_cast<size_t>(std::max(0.0, toSeconds) * rate));
    if (to <= from) return 0;
    double sum = 0;
    for (size_t i = from; i < to; ++i) sum += static_cast<double>(samples[i]) * samples[i];
    return std::sqrt(sum / static_cast<double>(to - from));
}

std::vector<double> Capture::Onsets(double threshold) const {
    std::vector<double> onsets;
    const size_t window = static_cast<size_t>(rate / 100);
    if (window == 0) return onsets;
    double previous = 0, last = -1;
    for (size_t start = 0; start + window <= samples.size(); start += window) {
        double sum = 0;
        for (size_t i = start; i < start + window; ++i) sum += static_cast<double>(samples[i]) * samples[i];
        double rms = std::sqrt(sum / static_cast<double>(window));
        double at = static_cast<double>(start) / rate;
        // A new shot is a sharp rise, also on top of the tail of the last one.
        if (rms > threshold && rms > previous * 2.5 + threshold / 2 && (last < 0 || at - last > 0.06)) {
            onsets.push_back(at);
            last = at;
        }
        previous = rms;
    }
    return onsets;
}

bool ReadCapture(const std::string& path, Capture* capture) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(&bytes[8], "WAVE", 4) != 0)
        return false;
    auto u16 = [&](size_t at) { return static_cast<unsigned>(static_cast<std::uint8_t>(bytes[at]) |
                                                             static_cast<std::uint8_t>(bytes[at + 1]) << 8); };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    unsigned channels = 0, bits = 0, tag = 0;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        unsigned size = u32(at + 4);
        size_t body = at + 8;
        if (std::memcmp(&bytes[at], "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
            tag = u16(body);
            channels = u16(body + 2);
            capture->rate = static_cast<int>(u32(body + 4));
            bits = u16(body + 14);
            if (tag == 0xFFFE && body + 26 <= bytes.size()) tag = u16(body + 24);
        } else if (std::memcmp(&bytes[at], "data", 4) == 0) {
            // The writer may not have fixed the size up if the game was killed.
            size_t end = (size == 0 || body + size > bytes.size()) ? bytes.size() : body + size;
            if (channels == 0 || (bits != 16 && bits != 32)) return false;
            size_t frame = channels * bits / 8;
            capture->dataStart = body;
            capture->frameBytes = frame;
            for (size_t p = body; p + frame <= end; p += frame) {
                double sum = 0;
                for (unsigned c = 0; c < channels; ++c) {
                    size_t s = p + c * bits / 8;
                    if (bits == 16) {
                        sum += static_cast<std::int16_t>(u16(s)) / 32768.0;
                    } else if (tag == 3) {
                        float f;
                        std::memcpy(&f, &bytes[s], 4);
                        sum += f;
                    } else {
                        sum += static_cast<std::int32_t>(u32(s)) / 2147483648.0;
                    }
                }
                capture->samples.push_back(static_cast<float>(sum / channels));
            }
            return capture->rate > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

}  // namespace e2e
