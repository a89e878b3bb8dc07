// Light and shade from a height field: the surface relief of the materials
// (grout, bevels, bumps) lit from the upper left, wrapping at the edges so
// that the shading tiles with the picture.
#pragma once

#include <vector>

#include "image.h"

namespace datagen {

class HeightField {
public:
    HeightField(int width, int height) : width_(width), height_(height), values_(static_cast<std::size_t>(width) * height) {}
    float& At(int x, int y) { return values_[static_cast<std::size_t>(y) * width_ + x]; }
    float Wrapped(int x, int y) const;

    // Brightness factor at (x, y): 1 on a flat surface, above 1 on slopes
    // facing the light, below 1 on slopes turned away. `steepness` scales
    // the height differences between neighbouring pixels.
    float Shade(int x, int y, float steepness) const;

private:
    int width_, height_;
    std::vector<float> values_;
};

// Multiplies every pixel by the field's shade.
void ApplyRelief(Image& image, const HeightField& field, float steepness);

}  // namespace datagen
