#include "noise.h"

#include <cmath>

namespace datagen {
namespace {

int Wrap(int i, int period) { return ((i % period) + period) % period; }

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

}  // namespace

std::uint64_t Sequence::Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Sequence::Uniform() { return static_cast<float>(Next() >> 40) / 16777216.0f; }

std::uint32_t Hash(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

std::uint32_t Hash(int x, int y, std::uint32_t seed) {
    return Hash(static_cast<std::uint32_t>(x) ^ Hash(static_cast<std::uint32_t>(y) ^ Hash(seed)));
}

float HashUnit(int x, int y, std::uint32_t seed) {
    return static_cast<float>(Hash(x, y, seed) >> 8) / 16777216.0f;
}

float TileNoise(float u, float v, int period, std::uint32_t seed) {
    return TileNoise(u, v, period, period, seed);
}

float TileNoise(float u, float v, int periodU, int periodV, std::uint32_t seed) {
    float x = u * static_cast<float>(periodU);
    float y = v * static_cast<float>(periodV);
    float fx = std::floor(x);
    float fy = std::floor(y);
    int x0 = static_cast<int>(fx);
    int y0 = static_cast<int>(fy);
    float tx = Fade(x - fx);
    float ty = Fade(y - fy);
    int xa = Wrap(x0, periodU), xb = Wrap(x0 + 1, periodU);
    int ya = Wrap(y0, periodV), yb = Wrap(y0 + 1, periodV);
    float a = HashUnit(xa, ya, seed), b = HashUnit(xb, ya, seed);
    float c = HashUnit(xa, yb, seed), d = HashUnit(xb, yb, seed);
    float bottom = a + (b - a) * tx;
    float top = c + (d - c) * tx;
    return bottom + (top - bottom) * ty;
}

float TileFbm(float u, float v, int period, int octaves, std::uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += TileNoise(u, v, period << i, seed + 7919u * static_cast<std::uint32_t>(i)) * weight;
        total += weight;
        weight *= 0.5f;
    }
    return sum / total;
}

CellSample TileCells(float u, float v, int cells, std::uint32_t seed) {
    float x = u * static_cast<float>(cells);
    float y = v * static_cast<float>(cells);
    int cx = static_cast<int>(std::floor(x));
    int cy = static_cast<int>(std::floor(y));
    CellSample best;
    best.nearest = best.second = 1e9f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int gx = cx + dx, gy = cy + dy;
            int wx = Wrap(gx, cells), wy = Wrap(gy, cells);
            float px = static_cast<float>(gx) + 0.1f + 0.8f * HashUnit(wx, wy, seed);
            float py = static_cast<float>(gy) + 0.1f + 0.8f * HashUnit(wx, wy, seed ^ 0xA5A5A5u);
            float d = std::hypot(px - x, py - y);
            if (d < best.nearest) {
                best.second = best.nearest;
                best.nearest = d;
                best.id = Hash(wx, wy, seed ^ 0x5151u);
            } else if (d < best.second) {
                best.second = d;
            }
        }
    }
    return best;
}

}  // namespace datagen
