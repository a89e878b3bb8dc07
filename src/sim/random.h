// The burst generator: the C library's rand() as the Windows runtime has
// it, 0 to 32767 from a state that starts as if seeded with 1. glibc and
// Emscripten's C library each draw another sequence, so every build carries
// this one and a shot makes the same debris everywhere.
#pragma once

constexpr int kRandMax = 32767;

int Rand();

// Only tests reseed; the game never does.
void SeedRand(unsigned seed);
