// Simulation costs without drawing: one collision call, a trace that runs to
// its step limit, and the heaviest frame the game can produce.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>

#include "app/game_state.h"
#include "sim/collision.h"
#include "sim/particles.h"
#include "sim/shot.h"

namespace {

// Bodies the game really collides: a player in the open, a chip on the floor,
// a point at a wall's end, a shot inside the lid.
struct Body {
    double x, y, z, vx, vy, vz, radius, response;
};
const Body kBodies[] = {
    {50, 7, 480, 0, 0, -20, 2.5, 0},
    {300, 0.01, 40, 0.1, -0.2, 0.05, 0, 0.75},
    {283, 7, 283, 4, 0, 4, 2.5, 0},
    {256, 47, 256, 0, 0, 0, 0, 0},
};

void BM_CollideWithWorld(benchmark::State& state) {
    const Body& start = kBodies[state.range(0)];
    for (auto _ : state) {
        Body b = start;
        benchmark::DoNotOptimize(b);
        bool hit = CollideWithWorld(b.x, b.y, b.z, b.vx, b.vy, b.vz, b.radius, b.response);
        benchmark::DoNotOptimize(hit);
        benchmark::DoNotOptimize(b);
    }
}
BENCHMARK(BM_CollideWithWorld)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->ArgName("body");

// A trace in open floor space with a tiny step touches nothing and stops at
// the limit of 10001 steps.
void BM_TraceToStepLimit(benchmark::State& state) {
    for (auto _ : state) {
        shotX = 10, shotY = 10, shotZ = 50;
        shotStepX = 0.01, shotStepY = 0, shotStepZ = 0;
        shotDone = false;
        burstActive = false;
        TraceShot();
        benchmark::DoNotOptimize(shotX);
    }
    state.counters["steps"] = 10001;
}
BENCHMARK(BM_TraceToStepLimit)->Unit(benchmark::kMicrosecond);

// Every burst slot full of live particles, spread over the room.
void FillAllBursts() {
    for (int b = 0; b < kBurstSlots; ++b) {
        shotSlot = b;
        shotX = 20 + 10.5 * b, shotY = 1 + b % 40, shotZ = 500 - 10.5 * b;
        shotStepX = 0.14, shotStepY = -0.01, shotStepZ = -0.14;
        SpawnImpactBurst();
    }
}

// The heaviest frame: a level shot along the room's diagonal above the maze
// (about 3620 steps to the far corner) and the motion and collision of all
// 2025 particles alive.
void BM_WorstCaseFrame(benchmark::State& state) {
    FillAllBursts();
    static Particle live[kParticlesPerBurst][kBurstSlots];
    std::memcpy(live, particles, sizeof live);
    const double step = 0.2 / std::sqrt(2.0);
    int steps = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(particles, live, sizeof live);
        state.ResumeTiming();

        shotX = 0.1, shotY = 60, shotZ = 0.1;
        shotStepX = step, shotStepY = 0, shotStepZ = step;
        shotDone = false;
        TraceShot();
        steps = static_cast<int>(std::lround((shotX - 0.1) / step));

        for (int b = 0; b < kBurstSlots; ++b) {
            for (int i = kSmokePuffs; i < kParticlesPerBurst; ++i) MoveDebris(particles[i][b]);
        }
        for (int b = 0; b < kBurstSlots; ++b) {
            for (int i = 0; i < kSmokePuffs; ++i) MoveSmoke(particles[i][b]);
        }
        benchmark::DoNotOptimize(particles);
    }
    state.counters["trace_steps"] = steps;
    state.counters["particles"] = kParticlesPerBurst * kBurstSlots;
}
BENCHMARK(BM_WorstCaseFrame)->Unit(benchmark::kMicrosecond);

}  // namespace
