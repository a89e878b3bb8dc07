// Writes small bitmap files for the decoder and texture tests.
#pragma once

#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace bmp {

using Bytes = std::vector<std::uint8_t>;
using Colour = std::array<std::uint8_t, 3>;  // red, green, blue

struct Layout {
    std::uint32_t headerSize = 40;  // 12 core, 40 info; 108 and 124 are filled with zeros past 40
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<Colour> palette;  // written as stored: blue, green, red (+ reserved)
    bool fileHeader = true;
    Bytes pixelData;  // exactly as stored in the file
};

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back(v >> 8 & 0xFF);
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline Layout Pic(int width, int height, std::uint16_t bits, Bytes pixels, std::vector<Colour> palette = {},
                std::uint32_t colorsUsed = 0, std::uint32_t compression = 0) {
    Layout s;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.pixelData = std::move(pixels);
    s.palette = std::move(palette);
    s.colorsUsed = colorsUsed;
    s.compression = compression;
    return s;
}

inline Bytes Build(const Layout& s) {
    Bytes header;
    Put32(header, s.headerSize);
    if (s.headerSize == 12) {
        Put16(header, static_cast<std::uint32_t>(s.width));
        Put16(header, static_cast<std::uint32_t>(s.height));
        Put16(header, 1);
        Put16(header, s.bits);
    } else {
        Put32(header, static_cast<std::uint32_t>(s.width));
        Put32(header, static_cast<std::uint32_t>(s.height));
        Put16(header, 1);
        Put16(header, s.bits);
        Put32(header, s.compression);
        Put32(header, static_cast<std::uint32_t>(s.pixelData.size()));
        Put32(header, 2835);
        Put32(header, 2835);
        Put32(header, s.colorsUsed);
        Put32(header, 0);
        header.resize(s.headerSize, 0);
    }
    for (const Colour& c : s.palette) {
        header.push_back(c[2]);
        header.push_back(c[1]);
        header.push_back(c[0]);
        if (s.headerSize != 12) header.push_back(0);
    }
    Bytes file;
    if (s.fileHeader) {
        const std::uint32_t offset = static_cast<std::uint32_t>(14 + header.size());
        file = {'B', 'M'};
        Put32(file, static_cast<std::uint32_t>(offset + s.pixelData.size()));
        Put32(file, 0);
        Put32(file, offset);
    }
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), s.pixelData.begin(), s.pixelData.end());
    return file;
}

// 24-bit pixel data from RGB rows given bottom row first, each row padded to 4 bytes.
inline Bytes Rows24(int width, const std::vector<std::vector<Colour>>& rows) {
    Bytes out;
    for (const auto& row : rows) {
        for (int x = 0; x < width; ++x) {
            out.push_back(row[x][2]);
            out.push_back(row[x][1]);
            out.push_back(row[x][0]);
        }
        while (out.size() % 4) out.push_back(0);
    }
    return out;
}

// A uniform 24-bit picture.
inline Bytes Solid24(int width, int height, Colour c) {
    return Build(Pic(width, height, 24, Rows24(width, std::vector<std::vector<Colour>>(height, std::vector<Colour>(width, c)))));
}

inline void Write(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace bmp
