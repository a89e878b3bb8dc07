// Pictures as the generator paints them: floating-point RGB in 0..1, row 0 at
// the bottom (the order in which bitmaps store rows and OpenGL takes them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace datagen {

struct Rgb {
    float r = 0, g = 0, b = 0;
};

Rgb operator+(Rgb a, Rgb b);
Rgb operator*(Rgb a, float k);
Rgb operator*(Rgb a, Rgb b);
Rgb Mix(Rgb a, Rgb b, float t);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;  // width * height, bottom row first

    Image(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
    Rgb& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    const Rgb& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A picture whose pixels are indices into a colour table.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;  // bottom row first
    std::vector<Rgb> palette;
};

// A value in 0..1 to a byte, rounding and clamping.
std::uint8_t ToByte(float v);

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float x);
float Lerp(float a, float b, float t);

// Greys to indices into a table of `levels` greys running black to white.
IndexedImage QuantiseGrey(const Image& image, int levels);

}  // namespace datagen
