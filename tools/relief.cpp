#include "relief.h"

#include <algorithm>
#include <cmath>

namespace datagen {

float HeightField::Wrapped(int x, int y) const {
    x = ((x % width_) + width_) % width_;
    y = ((y % height_) + height_) % height_;
    return values_[static_cast<std::size_t>(y) * width_ + x];
}

float HeightField::Shade(int x, int y, float steepness) const {
    float dx = (Wrapped(x + 1, y) - Wrapped(x - 1, y)) * 0.5f * steepness;
    float dy = (Wrapped(x, y + 1) - Wrapped(x, y - 1)) * 0.5f * steepness;
    // Normal (-dx, -dy, 1); light from the upper left and in front.
    const float lx = -0.45f, ly = 0.55f, lz = 0.70f;
    float norm = std::sqrt(dx * dx + dy * dy + 1.0f);
    float lambert = (-dx * lx - dy * ly + lz) / norm;
    return std::max(0.15f, lambert / lz);
}

void ApplyRelief(Image& image, const HeightField& field, float steepness) {
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) image.At(x, y) = image.At(x, y) * field.Shade(x, y, steepness);
}

}  // namespace datagen
