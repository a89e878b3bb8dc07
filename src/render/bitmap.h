// Windows bitmap files decoded into plain RGB images, with our own reader
// and converter: core (12-byte) and info (40-byte) headers; 1-, 4-, 8-, 16-,
// 24- and 32-bit uncompressed pixels, RLE8 and RLE4.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct ImageRGB {
    std::int32_t width;
    std::int32_t height;  // as in the file; top-down files give their row count
    // height x width x 3 bytes, red green blue, rows unpadded, bottom row first.
    std::unique_ptr<std::uint8_t[]> pixels;
};
using ImagePtr = std::unique_ptr<ImageRGB>;

enum class DibError { None, UnknownFormat, OutOfMemory, ConversionError };

// The text the decoder shows for an error (empty for None).
const char* DibErrorText(DibError error);

// Colour-table entries of the bitmap header at `header`: 12 readable bytes
// for a core header, 40 for any other.
std::uint16_t PaletteEntryCount(const std::uint8_t* header);

// The largest picture taken: as many pixels as 2048 x 2048, sixty-four times
// one of our own 256-pixel textures and the largest texture many OpenGL 1.1
// cards take at all. A few bytes of run-length data can declare any size, so
// a bigger one is refused as out of memory: eighteen of the largest still fit
// in well under 1 GB once each is decoded (12 MiB) and handed to OpenGL with
// its mipmaps (about 21 MiB).
constexpr std::uint64_t kMaxPixelBytes = 2048 * 2048 * 3;

// Decodes a whole bitmap file held in memory; never reads outside it.
// Null with `*error` set when the bytes are not a bitmap it can convert;
// pictures of more than `pixelLimit` bytes count as out of memory.
ImagePtr DecodeDib(const std::uint8_t* data, std::size_t size, DibError* error,
                   std::uint64_t pixelLimit = kMaxPixelBytes);

// Reads and decodes a file, no further into it than the header says the
// picture needs; every failure is shown in a message box
// captioned "Error" before null is returned.
ImagePtr DecodeDibFile(const char* fileName);

// Null, without a message, when the file cannot be opened at all.
ImagePtr LoadBitmapFile(const char* fileName);
