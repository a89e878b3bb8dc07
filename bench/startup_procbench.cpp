// Start-up as a player sees it: from starting the game's process to the
// first frame on the screen. Each run gets a fresh X server (not timed);
// the window is looked for and its pixels read every millisecond until the
// view shows, so the figure is at most about a millisecond late.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "bench/game_process.h"
#include "e2e/game_session.h"

namespace {

constexpr int kRuns = 7;
constexpr double kGiveUpMs = 10000;

// The window is black until the first swap; the first frame lights the
// centre (the wall ahead and the crosshair) and the weapon panel.
bool FirstFrameShows(Display* display, Window window) {
    return bench::AnyLight(display, window, 620, 340, 40, 40) && bench::AnyLight(display, window, 20, 640, 60, 60);
}

double OneStart() {
    e2e::SessionOptions options;
    options.audioDriver = "null";
    e2e::GameSession session(options);
    Display* display = XOpenDisplay(session.DisplayName().c_str());
    if (!session.ServerUp() || !display) return -1;
    XSetErrorHandler(xtest::IgnoreXError);

    const double start = bench::NowMs();
    if (!session.Launch()) return -1;
    double shown = -1;
    Window window = 0;
    while (bench::NowMs() - start < kGiveUpMs) {
        if (!window) window = xtest::FindByTitle(display, DefaultRootWindow(display), "Veldrake");
        if (window && FirstFrameShows(display, window)) {
            shown = bench::NowMs() - start;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    XCloseDisplay(display);
    return shown;  // the session's end stops the game and the server
}

void BM_StartUpToFirstFrame(benchmark::State& state) {
    std::vector<double> runs;
    for (auto _ : state) {
        const double ms = OneStart();
        if (ms < 0) {
            state.SkipWithError("the game showed no frame");
            return;
        }
        state.SetIterationTime(ms / 1000.0);
        runs.push_back(ms);
    }
    std::sort(runs.begin(), runs.end());
    state.counters["median_ms"] = runs[runs.size() / 2];
    state.counters["min_ms"] = runs.front();
    state.counters["max_ms"] = runs.back();
}
BENCHMARK(BM_StartUpToFirstFrame)->Iterations(kRuns)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
