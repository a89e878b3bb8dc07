// Repeatable randomness for the generator: a fixed-seed sequence and noise
// fields that wrap around, so that every texture made from them tiles.
#pragma once

#include <cstdint>

namespace datagen {

// splitmix64: small, fast, and the same numbers on every machine.
class Sequence {
public:
    explicit Sequence(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    float Uniform();          // 0 <= v < 1
    float Signed() { return Uniform() * 2.0f - 1.0f; }

private:
    std::uint64_t state_;
};

std::uint32_t Hash(std::uint32_t x);
std::uint32_t Hash(int x, int y, std::uint32_t seed);
float HashUnit(int x, int y, std::uint32_t seed);  // 0 <= v < 1

// Smooth value noise in 0..1 over the unit square, `period` lattice cells
// across (or `periodU` by `periodV`), wrapping at u and v = 0 and 1.
float TileNoise(float u, float v, int period, std::uint32_t seed);
float TileNoise(float u, float v, int periodU, int periodV, std::uint32_t seed);

// Sum of `octaves` layers of TileNoise, each twice as fine and half as strong,
// scaled back to 0..1.
float TileFbm(float u, float v, int period, int octaves, std::uint32_t seed);

// Cellular noise over the unit square with `cells` x `cells` jittered
// points, wrapping: distances (in cells) to the nearest and second-nearest
// point, and the hash of the nearest point's cell.
struct CellSample {
    float nearest = 0;
    float second = 0;
    std::uint32_t id = 0;
};
CellSample TileCells(float u, float v, int cells, std::uint32_t seed);

}  // namespace datagen
