#include "bmp_writer.h"

#include <cstddef>

namespace datagen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCoreHeaderSize = 12;

void Put16(Bytes& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(Bytes& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

std::uint32_t RowStride(int width, int bitsPerPixel) {
    return ((static_cast<std::uint32_t>(width) * bitsPerPixel + 31) / 32) * 4;
}

void PutFileHeader(Bytes& out, std::uint32_t pixelOffset, std::uint32_t pixelBytes) {
    out.push_back('B');
    out.push_back('M');
    Put32(out, pixelOffset + pixelBytes);
    Put32(out, 0);  // two reserved words
    Put32(out, pixelOffset);
}

void PutInfoHeader(Bytes& out, int width, int height, int bitsPerPixel, std::uint32_t pixelBytes,
                   std::uint32_t coloursUsed) {
    Put32(out, kInfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(width));
    Put32(out, static_cast<std::uint32_t>(height));  // positive: rows run bottom-up
    Put16(out, 1);
    Put16(out, static_cast<std::uint32_t>(bitsPerPixel));
    Put32(out, 0);  // uncompressed
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch, in dots per metre
    Put32(out, 2835);
    Put32(out, coloursUsed);
    Put32(out, 0);  // all colours important
}

void PutIndexRows(Bytes& out, const IndexedImage& image) {
    std::uint32_t stride = RowStride(image.width, 8);
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = &image.indices[static_cast<std::size_t>(y) * image.width];
        out.insert(out.end(), row, row + image.width);
        out.resize(out.size() + (stride - static_cast<std::uint32_t>(image.width)), 0);
    }
}

}  // namespace

Bytes EncodeBmp24(const Image& image) {
    std::uint32_t stride = RowStride(image.width, 24);
    std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    Bytes out;
    out.reserve(kFileHeaderSize + kInfoHeaderSize + pixelBytes);
    PutFileHeader(out, kFileHeaderSize + kInfoHeaderSize, pixelBytes);
    PutInfoHeader(out, image.width, image.height, 24, pixelBytes, 0);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const Rgb& p = image.At(x, y);
            out.push_back(ToByte(p.b));
            out.push_back(ToByte(p.g));
            out.push_back(ToByte(p.r));
        }
        out.resize(out.size() + (stride - 3 * static_cast<std::uint32_t>(image.width)), 0);
    }
    return out;
}

Bytes EncodeBmp8(const IndexedImage& image, bool writeColoursUsed) {
    std::uint32_t entries = writeColoursUsed ? static_cast<std::uint32_t>(image.palette.size()) : 256;
    std::uint32_t pixelBytes = RowStride(image.width, 8) * static_cast<std::uint32_t>(image.height);
    std::uint32_t pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * entries;
    Bytes out;
    PutFileHeader(out, pixelOffset, pixelBytes);
    PutInfoHeader(out, image.width, image.height, 8, pixelBytes, writeColoursUsed ? entries : 0);
    for (std::uint32_t i = 0; i < entries; ++i) {
        Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
        out.push_back(ToByte(c.b));
        out.push_back(ToByte(c.g));
        out.push_back(ToByte(c.r));
        out.push_back(0);
    }
    PutIndexRows(out, image);
    return out;
}

Bytes EncodeBmp8Core(const IndexedImage& image) {
    constexpr std::uint32_t entries = 256;
    std::uint32_t pixelBytes = RowStride(image.width, 8) * static_cast<std::uint32_t>(image.height);
    std::uint32_t pixelOffset = kFileHeaderSize + kCoreHeaderSize + 3 * entries;
    Bytes out;
    PutFileHeader(out, pixelOffset, pixelBytes);
    Put32(out, kCoreHeaderSize);
    Put16(out, static_cast<std::uint32_t>(image.width));
    Put16(out, static_cast<std::uint32_t>(image.height));
    Put16(out, 1);
    Put16(out, 8);
    for (std::uint32_t i = 0; i < entries; ++i) {
        Rgb c = i < image.palette.size() ? image.palette[i] : Rgb{};
        out.push_back(ToByte(c.b));
        out.push_back(ToByte(c.g));
        out.push_back(ToByte(c.r));
    }
    PutIndexRows(out, image);
    return out;
}

}  // namespace datagen
