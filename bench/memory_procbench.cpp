// Peak memory of the game in play: the built game in its own X server,
// a few seconds of looking around, walking and shooting (Space held and the
// left button), then the high-water mark of its resident set.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "bench/game_process.h"
#include "e2e/game_session.h"

namespace {

constexpr int kRuns = 3;
constexpr double kMiB = 1024.0;

// About five seconds: turn and shoot at the walls around the start, then
// walk out of the innermost ring firing, so bursts pile up on screen.
void Play(e2e::GameSession& session) {
    for (int turn = 0; turn < 8; ++turn) {
        session.MoveMouse(200 + 20 * (turn % 2), 240);
        session.Click();
        session.Pause(0.2);
    }
    session.Xdo("keydown space keydown s");
    session.Pause(2.0);
    session.Xdo("keyup s keyup space");
    for (int shot = 0; shot < 5; ++shot) {
        session.Click();
        session.Pause(0.15);
    }
}

// Peak resident set in MiB, or -1 when the game could not be started.
double OnePlay() {
    e2e::SessionOptions options;
    options.audioDriver = "null";
    e2e::GameSession session(options);
    if (!session.Launch() || !session.WaitForWindow("Veldrake", 10)) return -1;
    const pid_t game = session.GamePid();
    if (game <= 0) return -1;
    Play(session);
    if (!session.Running()) return -1;
    return static_cast<double>(bench::StatusKb(game, "VmHWM")) / kMiB;
}

void BM_PeakResidentInPlay(benchmark::State& state) {
    double worst = 0;
    for (auto _ : state) {
        const double peak = OnePlay();
        if (peak < 0) {
            state.SkipWithError("the game did not run");
            return;
        }
        worst = std::max(worst, peak);
    }
    state.counters["peak_rss_MiB"] = worst;
}
BENCHMARK(BM_PeakResidentInPlay)->Iterations(kRuns)->Unit(benchmark::kSecond);

}  // namespace
