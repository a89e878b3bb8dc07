#include "platform/web/page_session.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace web {
namespace {

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }

// A JSON string's contents (the escapes the page's texts can hold).
std::string Unquote(const std::string& json) {
    std::string out;
    if (json.size() < 2 || json.front() != '"') return "";
    for (size_t i = 1; i + 1 < json.size(); ++i) {
        if (json[i] != '\\') {
            out += json[i];
            continue;
        }
        const char c = json[++i];
        out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    }
    return out;
}

// Visible: shown and laid out (a hidden box keeps its text).
std::string Shown(const std::string& selector, const std::string& value) {
    return "(() => { const e = document.querySelector('" + selector + "'); "
           "return e && e.checkVisibility() ? " + value + " : ''; })()";
}

}  // namespace

std::string BuiltPageDir() {
    const char* page = std::getenv("VELDRAKE_WEB_PAGE");
    return page ? page : VELDRAKE_SOURCE_DIR "/build-web";
}

PageSession::PageSession(const PageOptions& options) : options_(options) {
    char dir[] = "/tmp/veldrake-web-XXXXXX";
    if (mkdtemp(dir)) workDir_ = dir;
    int in[2], out[2];
    if (pipe(in) != 0 || pipe(out) != 0) return;
    const std::string folder = options_.folder.empty() ? BuiltPageDir() : options_.folder;
    driver_ = fork();
    if (driver_ == 0) {
        dup2(in[0], 0);
        dup2(out[1], 1);
        close(in[1]);
        close(out[0]);
        const std::string w = std::to_string(options_.screenWidth), h = std::to_string(options_.screenHeight);
        execlp("node", "node", VELDRAKE_SOURCE_DIR "/tests/platform/web/page_driver.mjs", folder.c_str(),
               options_.query.c_str(), w.c_str(), h.c_str(), options_.window.c_str(), options_.flags.c_str(),
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    to_ = in[1];
    from_ = fdopen(out[0], "r");
    char line[1024] = "";
    if (driver_ < 0 || !from_ || !fgets(line, sizeof line, from_) || std::string(line) != "ok ready\n") {
        std::fprintf(stderr, "the page driver did not start: %s\n", line);
        driver_ = -1;
    }
}

PageSession::~PageSession() {
    if (to_ >= 0) close(to_);  // the driver closes Chromium at the end of its input
    if (driver_ > 0) {
        int status = 0;
        for (int i = 0; i < 100 && waitpid(driver_, &status, WNOHANG) == 0; ++i) Pause(0.05);
        // Asked to end, the driver takes Chromium's processes with it.
        if (kill(driver_, SIGTERM) == 0) {
            for (int i = 0; i < 40 && waitpid(driver_, &status, WNOHANG) == 0; ++i) Pause(0.05);
            if (kill(driver_, SIGKILL) == 0) waitpid(driver_, &status, 0);
        }
    }
    if (from_) fclose(from_);
    if (!workDir_.empty()) std::filesystem::remove_all(workDir_);
}

std::string PageSession::Command(const std::string& line) {
    if (driver_ <= 0) return "error no driver";
    if (line == "reload") cursor_[0] = 320, cursor_[1] = 240;  // a new game's cursor
    const std::string sent = line + "\n";
    if (write(to_, sent.data(), sent.size()) != static_cast<ssize_t>(sent.size())) return "error write";
    std::string answer;
    char buffer[65536];
    while (fgets(buffer, sizeof buffer, from_)) {
        answer += buffer;
        if (answer.back() == '\n') break;
    }
    if (!answer.empty()) answer.pop_back();
    return answer.rfind("ok", 0) == 0 ? answer.substr(answer.size() > 2 ? 3 : 2) : answer;
}

bool PageSession::AwaitEval(const std::string& expression, const std::string& expected, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (Eval(expression) != expected) {
        if (std::chrono::steady_clock::now() > end) return false;
        Pause(0.1);
    }
    return true;
}

// As GameSession's sweep (e2e::SweepStep), in movements. Each waits until
// the game has seen it (two frames later): moves piled up within one frame
// would carry the cursor past the canvas's edge, where it stops.
void PageSession::DragLeft(double degrees) {
    constexpr int kStroke = 480;  // pixels, across a part of the picture
    for (int left = static_cast<int>(std::lround(degrees * 8)); left != 0;) {
        const int stroke = std::clamp(left, -kStroke, kStroke);
        Command(stroke > 0 ? "finger 9 0.9 0.5 #canvas" : "finger 9 0.1 0.5 #canvas");
        Sweep(-stroke, 0, "finger 9 by");
        Command("lift 9");
        left -= stroke;
    }
}

void PageSession::Sweep(int pixels, int axis, const std::string& verb) {
    bool warped = false;
    for (int moves = 0; pixels != 0 && moves < 1000; ++moves) {
        int& p = cursor_[axis];
        const int move = e2e::SweepStep(p, &pixels, &warped);
        p = warped ? (move < 0 ? 370 : 10) : p + move;
        const std::string shown = Eval("window.veldrakeFramesShown");
        Command(axis ? verb + " 0 " + std::to_string(move) : verb + " " + std::to_string(move) + " 0");
        // A game that stopped drawing is the test's to find: the wait ends after 5 s.
        Eval("new Promise(r => { setTimeout(r, 5000); (function wait() { window.veldrakeFramesShown >= " + shown +
             " + 2 ? r(1) : setTimeout(wait, 5); })(); })");
    }
}

e2e::Image PageSession::Screenshot() {
    e2e::Image image;
    const std::string path = workDir_ + "/shot.ppm";
    if (Command("shot " + path) != "") return image;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int depth = 0;
    in >> magic >> image.width >> image.height >> depth;
    in.get();
    image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
    in.read(reinterpret_cast<char*>(image.rgb.data()), static_cast<std::streamsize>(image.rgb.size()));
    if (magic != "P6" || !in) image = e2e::Image();
    return image;
}

std::string PageSession::MessageBox() {
    return Unquote(Eval(Shown("#msgbox", "[e.querySelector('.caption').textContent, e.querySelector('.text').textContent, "
                                         "[...e.querySelectorAll('button')].map(b => b.textContent).join(',')].join('|')")));
}

bool PageSession::AwaitMessageBox(const std::string& expected, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    // A pointer lock the start click asked for may still be on its way out:
    // until it is, clicks go to the canvas rather than the box.
    while (MessageBox() != expected || Eval("document.pointerLockElement") != "null") {
        if (std::chrono::steady_clock::now() > end) return false;
        Pause(0.1);
    }
    return true;
}

std::string PageSession::AwaitEnded(double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::string text;
    while ((text = Unquote(Eval(Shown("#ended", "e.textContent")))).empty() && std::chrono::steady_clock::now() < end)
        Pause(0.1);
    return text;
}

PageSession::Audio PageSession::TakeAudio() {
    Audio audio;
    std::istringstream answer(Command("audio"));
    std::string states;
    answer >> states;
    std::istringstream list(states);
    for (std::string state; std::getline(list, state, ',');) audio.states.push_back(state);
    for (double at, level; answer >> at >> level;) audio.levels.emplace_back(at, level);
    return audio;
}

double PageSession::Audio::Peak(double fromMs, double toMs) const {
    double peak = 0;
    for (const auto& [at, level] : levels)
        if (at >= fromMs && at < toMs) peak = std::max(peak, level);
    return peak;
}

double PageSession::Now() { return std::atof(Eval("performance.now()").c_str()); }

}  // namespace web
