// What a frame costs to draw on the real platform, without the pacing wait:
// the game's own window and context at 1280x720, one full turn at one
// degree per frame, with the level alone and with every burst slot alive.
// Each timed frame is RunFrame, the buffer swap and a glFinish, so the
// figure includes what Mesa does after the frame has been handed over.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/game_state.h"
#include "app/game_window.h"
#include "platform/window.h"
#include "sim/frame.h"
#include "sim/shot.h"

namespace {

constexpr int kTurnFrames = 360;
constexpr int kWarmUpFrames = 60;
constexpr double kDegreesToRadians = 0.01745329238474369;

// Shoots from the start position into burst slot `slot`: the shots fan out
// around the player, 8 degrees apart, so the bursts sit on the walls of the
// innermost ring as they would after a player turned and fired.
void ShootInto(int slot) {
    const double h = slot * 8.0 * kDegreesToRadians;
    shotSlot = slot;
    shotX = playerX;
    shotY = kEyeHeight;
    shotZ = playerZ;
    shotStepX = -std::sin(h) / 5.0;
    shotStepY = 0.0;
    shotStepZ = -std::cos(h) / 5.0;
    shotDone = false;
    TraceShot();
}

int LiveParticles() {
    int live = 0;
    for (auto& row : particles)
        for (const Particle& p : row) live += p.life > 0;
    return live;
}

// Outside the timed region: a slot with any dead particle is shot again, so
// every frame moves and draws all 2025.
void KeepAllBurstsAlive() {
    for (int slot = 0; slot < kBurstSlots; ++slot) {
        bool anyDead = false;
        for (int i = 0; i < kParticlesPerBurst; ++i) anyDead |= !(particles[i][slot].life > 0);
        if (anyDead) ShootInto(slot);
    }
    if (LiveParticles() != kBurstSlots * kParticlesPerBurst) {
        std::fprintf(stderr, "frame_glbench: a burst did not land (%d particles alive)\n", LiveParticles());
        std::exit(1);
    }
}

double ProcessCpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double OneFrame() {
    lastFrameTime = -1e9;  // the previous frame ended long ago: no waiting
    const auto start = std::chrono::steady_clock::now();
    RunFrame();
    plat::SwapBuffers(deviceContext);
    glFinish();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Percentile(std::vector<double> values, double fraction) {
    std::sort(values.begin(), values.end());
    const size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[index];
}

void Turn(benchmark::State& state, bool withBursts) {
    heading = 0;
    burstActive = false;
    for (auto& row : particles)
        for (Particle& p : row) p.life = 0;
    // A first turn in coarse steps lets Mesa build its code for every state
    // the frame uses before anything is timed.
    for (int i = 0; i < kWarmUpFrames; ++i) {
        if (withBursts) KeepAllBurstsAlive();
        heading = i * 6.0;
        OneFrame();
    }
    std::vector<double> frameMs;
    frameMs.reserve(kTurnFrames);
    heading = 0;
    const double cpuStart = ProcessCpuMs();
    for (auto _ : state) {
        if (withBursts) KeepAllBurstsAlive();
        const double ms = OneFrame();
        state.SetIterationTime(ms / 1000.0);
        frameMs.push_back(ms);
        heading += 1.0;
    }
    // All threads, Mesa's rasterisers too: less disturbed by other work on
    // the machine than the wall clock, though it includes the respawning.
    state.counters["cpu_ms"] = (ProcessCpuMs() - cpuStart) / static_cast<double>(frameMs.size());
    state.counters["p50_ms"] = Percentile(frameMs, 0.50);
    state.counters["p95_ms"] = Percentile(frameMs, 0.95);
    state.counters["max_ms"] = Percentile(frameMs, 1.0);
    state.counters["particles"] = withBursts ? kBurstSlots * kParticlesPerBurst : 0;
}

void BM_FrameEmptyLevel(benchmark::State& state) { Turn(state, false); }
void BM_FrameAllBursts(benchmark::State& state) { Turn(state, true); }
BENCHMARK(BM_FrameEmptyLevel)->Iterations(kTurnFrames)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameAllBursts)->Iterations(kTurnFrames)->UseManualTime()->Unit(benchmark::kMillisecond);

// The game's pace on this layer: frames as the game runs them, its 15 ms
// wait and the swap included, counted over five seconds of the wall clock.
void BM_PacedSteps(benchmark::State& state) {
    heading = 0;
    lastFrameTime = -1e9;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        RunFrame();
        plat::SwapBuffers(deviceContext);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["steps_per_s"] = static_cast<double>(state.iterations()) / seconds;
}
BENCHMARK(BM_PacedSteps)->Iterations(330)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const char* data = std::getenv("VELDRAKE_DATA");
    if (chdir(data ? data : VELDRAKE_BINARY_DIR "/data") != 0) {
        std::perror("frame_glbench: data folder");
        return 1;
    }
    // As the game starts: fullscreen when the display has the mode.
    fullscreen = true;
    if (!CreateGameWindow("Veldrake", 1280, 720, 32, fullscreen)) return 1;
    std::printf("GL_RENDERER: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    benchmark::RunSpecifiedBenchmarks();
    DestroyGameWindow();
    benchmark::Shutdown();
    return 0;
}
