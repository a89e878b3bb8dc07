#include "sim/random.h"

#include <cstdint>

namespace {

std::uint32_t state = 1;

}  // namespace

int Rand() {
    state = state * 214013u + 2531011u;
    return static_cast<int>((state >> 16) & kRandMax);
}

void SeedRand(unsigned seed) { state = seed; }
