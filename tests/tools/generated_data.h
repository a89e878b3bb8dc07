// Reading back the data set that the build generated into build/data.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/bitmap.h"

namespace generated {

inline std::string DataPath(const std::string& relative) {
    return std::string(VELDRAKE_BINARY_DIR) + "/data/" + relative;
}

inline std::string TexturePath(const std::string& stem) { return DataPath("texture/" + stem + ".bmp"); }

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline std::uint32_t Le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b.at(at) | b.at(at + 1) << 8);
}

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return Le16(b, at) | Le16(b, at + 2) << 16;
}

// A texture decoded by the game's own bitmap decoder.
struct Texture {
    ImagePtr image;
    int Width() const { return image->width; }
    int Height() const { return image->height; }
    // Channel c (0 red, 1 green, 2 blue) of the pixel in column x, row y
    // (row 0 at the bottom, as OpenGL takes it).
    int At(int x, int y, int c) const { return image->pixels[(static_cast<std::size_t>(y) * image->width + x) * 3 + c]; }
    double Grey(int x, int y) const { return (At(x, y, 0) + At(x, y, 1) + At(x, y, 2)) / 3.0; }
};

inline Texture LoadTexture(const std::string& stem) {
    return Texture{DecodeDibFile(TexturePath(stem).c_str())};
}

}  // namespace generated
