#include "image.h"

#include <algorithm>
#include <cmath>

namespace datagen {

Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
Rgb Mix(Rgb a, Rgb b, float t) { return a * (1 - t) + b * t; }

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

std::uint8_t ToByte(float v) { return static_cast<std::uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

float SmoothStep(float edge0, float edge1, float x) {
    float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

IndexedImage QuantiseGrey(const Image& image, int levels) {
    IndexedImage out;
    out.width = image.width;
    out.height = image.height;
    for (int i = 0; i < levels; ++i) {
        float v = static_cast<float>(i) / static_cast<float>(levels - 1);
        out.palette.push_back({v, v, v});
    }
    out.indices.reserve(image.pixels.size());
    for (const Rgb& p : image.pixels) {
        float grey = Clamp01((p.r + p.g + p.b) / 3.0f);
        out.indices.push_back(static_cast<std::uint8_t>(std::lround(grey * static_cast<float>(levels - 1))));
    }
    return out;
}

}  // namespace datagen
