#include "render/bitmap.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/data_file.h"
#include "platform/window.h"

namespace {

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2;

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

struct Rgb {
    std::uint8_t r, g, b;
};

// What the converter needs, whichever header kind the file has.
struct DibLayout {
    std::int64_t width;
    std::int64_t height;  // negative: rows stored top-down
    std::uint32_t bitsPerPixel;
    std::uint32_t compression;
    Rgb palette[256];  // entries the table does not provide stay black
};

// Destination writer: `row` counts from the bottom of the picture.
struct Canvas {
    std::uint8_t* pixels;
    std::int64_t width;
    std::int64_t rows;
    void Put(std::int64_t x, std::int64_t row, Rgb c) const {
        if (x < 0 || x >= width || row < 0 || row >= rows) return;
        std::uint8_t* p = pixels + (row * width + x) * 3;
        p[0] = c.r;
        p[1] = c.g;
        p[2] = c.b;
    }
};

std::uint8_t Expand5(unsigned v) { return static_cast<std::uint8_t>(v << 3 | v >> 2); }

Rgb SourcePixel(const DibLayout& dib, const std::uint8_t* row, std::int64_t x) {
    switch (dib.bitsPerPixel) {
        case 1: return dib.palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
        case 4: return dib.palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        case 8: return dib.palette[row[x]];
        case 16: {
            const unsigned v = U16(row + 2 * x);  // x1r5g5b5
            return {Expand5(v >> 10 & 31), Expand5(v >> 5 & 31), Expand5(v & 31)};
        }
        case 24: return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
        default: return {row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    }
}

DibError ConvertUncompressed(const DibLayout& dib, const std::uint8_t* data, std::uint64_t available,
                             const Canvas& out) {
    const std::uint64_t rowBits = dib.bitsPerPixel * static_cast<std::uint64_t>(dib.width);
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    // The last row may lack its padding; every pixel must be there.
    const std::uint64_t needed = stride * static_cast<std::uint64_t>(out.rows - 1) + (rowBits + 7) / 8;
    if (available < needed) return DibError::ConversionError;
    for (std::int64_t fileRow = 0; fileRow < out.rows; ++fileRow) {
        const std::uint8_t* src = data + stride * static_cast<std::uint64_t>(fileRow);
        const std::int64_t row = dib.height > 0 ? fileRow : out.rows - 1 - fileRow;
        for (std::int64_t x = 0; x < out.width; ++x) out.Put(x, row, SourcePixel(dib, src, x));
    }
    return DibError::None;
}

// Run-length data: pairs of (count, value), or an escape (0, code) that ends
// a line (0), ends the picture (1), jumps (2, dx, dy) or starts a literal
// run of `code` pixels padded to an even byte count. Pixels left out stay black.
DibError ConvertRunLength(const DibLayout& dib, const std::uint8_t* data, std::uint64_t available,
                          const Canvas& out) {
    const bool fourBit = dib.compression == kRle4;
    std::uint64_t at = 0;
    std::int64_t x = 0, row = 0;
    while (row < out.rows) {
        if (available - at < 2) return DibError::ConversionError;
        const unsigned count = data[at], code = data[at + 1];
        at += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k) {
                const unsigned index = fourBit ? ((k & 1) ? code & 15 : code >> 4) : code;
                out.Put(x++, row, dib.palette[index]);
            }
        } else if (code == 0) {
            x = 0;
            ++row;
        } else if (code == 1) {
            break;
        } else if (code == 2) {
            if (available - at < 2) return DibError::ConversionError;
            x += data[at];
            row += data[at + 1];
            at += 2;
        } else {
            const std::uint64_t bytes = fourBit ? (code + 1) / 2 : code;
            if (available - at < bytes) return DibError::ConversionError;
            for (unsigned k = 0; k < code; ++k) {
                const unsigned index = fourBit ? (data[at + k / 2] >> ((k & 1) ? 0 : 4)) & 15 : data[at + k];
                out.Put(x++, row, dib.palette[index]);
            }
            at += bytes + (bytes & 1);
            if (at > available) at = available;
        }
    }
    return DibError::None;
}

bool SupportedEncoding(const DibLayout& dib) {
    switch (dib.compression) {
        case kRgb: {
            const std::uint32_t b = dib.bitsPerPixel;
            return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
        }
        // Run-length pictures are always stored bottom-up.
        case kRle8: return dib.bitsPerPixel == 8 && dib.height > 0;
        case kRle4: return dib.bitsPerPixel == 4 && dib.height > 0;
        default: return false;
    }
}

ImagePtr Fail(DibError* error, DibError what) {
    *error = what;
    return nullptr;
}

}  // namespace

const char* DibErrorText(DibError error) {
    switch (error) {
        case DibError::UnknownFormat: return "Unknown DIB file format.";
        case DibError::OutOfMemory: return "Out of memory.";
        case DibError::ConversionError: return "Image file conversion error.";
        case DibError::None: break;
    }
    return "";
}

std::uint16_t PaletteEntryCount(const std::uint8_t* header) {
    std::uint32_t bits;
    if (U32(header) == kCoreHeaderSize) {
        bits = U16(header + 10);
    } else {
        const std::uint32_t used = U32(header + 32);
        if (used != 0) return static_cast<std::uint16_t>(used);
        bits = U16(header + 14);
    }
    switch (bits) {
        case 1: return 2;
        case 4: return 16;
        case 8: return 256;
        default: return 0;
    }
}

namespace {

// What the header says: the picture, where its colour table and its pixels
// lie. Only the header's own bytes are looked at.
struct DibHeader {
    DibLayout dib;
    std::int64_t rows;
    bool core;
    std::uint64_t count;  // colour-table entries
    std::uint64_t tableAt;
    std::uint64_t tableEnd;
    std::uint64_t pixelsAt;
};

DibError ReadHeader(const std::uint8_t* data, std::size_t size, std::uint64_t pixelLimit, DibHeader* out) {
    const bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const std::size_t headerAt = fileHeader ? kFileHeaderSize : 0;
    if (size < headerAt + 4) return DibError::ConversionError;
    const std::uint8_t* header = data + headerAt;
    const std::uint32_t headerSize = U32(header);
    if (headerSize != kCoreHeaderSize && headerSize != kInfoHeaderSize) return DibError::UnknownFormat;
    if (size - headerAt < headerSize) return DibError::ConversionError;

    DibLayout& dib = out->dib;
    dib = DibLayout{};
    out->core = headerSize == kCoreHeaderSize;
    if (out->core) {
        dib.width = U16(header + 4);
        dib.height = U16(header + 6);
        dib.bitsPerPixel = U16(header + 10);
        dib.compression = kRgb;
    } else {
        dib.width = static_cast<std::int32_t>(U32(header + 4));
        dib.height = static_cast<std::int32_t>(U32(header + 8));
        dib.bitsPerPixel = U16(header + 14);
        dib.compression = U32(header + 16);
    }
    out->rows = dib.height < 0 ? -dib.height : dib.height;
    if (dib.width <= 0 || out->rows == 0 ||
        static_cast<std::uint64_t>(dib.width) * static_cast<std::uint64_t>(out->rows) * 3 > pixelLimit)
        return DibError::OutOfMemory;

    out->count = PaletteEntryCount(header);
    out->tableAt = headerAt + headerSize;
    out->tableEnd = out->tableAt + out->count * (out->core ? 3 : 4);
    out->pixelsAt = fileHeader ? U32(data + 10) : out->tableEnd;
    return DibError::None;
}

// The most pixel data a picture of this shape can take. Run-length data has
// no fixed length: one pixel per run and a line end on every row is the
// longest an encoder writes; twice that leaves room for jumps and padding.
std::uint64_t PixelDataBound(const DibHeader& header) {
    const auto width = static_cast<std::uint64_t>(header.dib.width);
    const auto rows = static_cast<std::uint64_t>(header.rows);
    if (header.dib.compression == kRgb) return (header.dib.bitsPerPixel * width + 31) / 32 * 4 * rows;
    return 2 * ((2 * width + 2) * rows + 2);
}

// The colour table into `header`, and whether its pixels can be converted.
DibError ReadTable(const std::uint8_t* data, std::size_t size, DibHeader* header) {
    if (size - header->tableAt < header->tableEnd - header->tableAt) return DibError::ConversionError;
    const std::uint64_t entrySize = header->core ? 3 : 4;
    for (std::uint64_t i = 0; i < header->count && i < 256; ++i) {
        const std::uint8_t* entry = data + header->tableAt + i * entrySize;
        header->dib.palette[i] = {entry[2], entry[1], entry[0]};
    }
    return SupportedEncoding(header->dib) ? DibError::None : DibError::ConversionError;
}

ImagePtr Convert(const DibHeader& header, const std::uint8_t* data, std::uint64_t available, DibError* error) {
    const DibLayout& dib = header.dib;
    const std::int64_t rows = header.rows;
    const std::size_t pixelBytes = static_cast<std::size_t>(dib.width * rows * 3);
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[pixelBytes]);
    if (!pixels) return Fail(error, DibError::OutOfMemory);
    const Canvas canvas{pixels.get(), dib.width, rows};
    DibError converted;
    if (dib.compression == kRgb) {
        converted = ConvertUncompressed(dib, data, available, canvas);
    } else {
        std::memset(pixels.get(), 0, pixelBytes);
        converted = ConvertRunLength(dib, data, available, canvas);
    }
    if (converted != DibError::None) return Fail(error, converted);

    ImagePtr image(new (std::nothrow) ImageRGB{});
    if (!image) return Fail(error, DibError::OutOfMemory);
    image->width = static_cast<std::int32_t>(dib.width);
    image->height = static_cast<std::int32_t>(rows);
    image->pixels = std::move(pixels);
    return image;
}

}  // namespace

ImagePtr DecodeDib(const std::uint8_t* data, std::size_t size, DibError* error, std::uint64_t pixelLimit) {
    *error = DibError::None;
    DibHeader header;
    DibError refused = ReadHeader(data, size, pixelLimit, &header);
    if (refused == DibError::None) refused = ReadTable(data, size, &header);
    if (refused == DibError::None && header.pixelsAt > size) refused = DibError::ConversionError;
    if (refused != DibError::None) return Fail(error, refused);
    return Convert(header, data + header.pixelsAt, size - header.pixelsAt, error);
}

namespace {

// Decodes from the file, reading the header, then the colour table, then
// no more pixel data than a picture of the header's size can use. False
// when the file cannot be read; otherwise the image or the decoder's error.
bool ReadDib(int file, std::uint64_t fileSize, ImagePtr* image, DibError* error) {
    *error = DibError::None;
    std::uint8_t head[kFileHeaderSize + kInfoHeaderSize];
    const auto headSize = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, sizeof head));
    if (!ReadDataAt(file, head, headSize, 0)) return false;
    DibHeader header;
    *error = ReadHeader(head, headSize, kMaxPixelBytes, &header);
    if (*error != DibError::None) return true;

    const std::uint64_t frontSize = std::min<std::uint64_t>(fileSize, std::max<std::uint64_t>(header.tableEnd, headSize));
    std::unique_ptr<std::uint8_t[]> front(new (std::nothrow) std::uint8_t[frontSize]);
    if (!front) {
        *error = DibError::OutOfMemory;
        return true;
    }
    if (!ReadDataAt(file, front.get(), frontSize, 0)) return false;
    *error = ReadTable(front.get(), static_cast<std::size_t>(frontSize), &header);
    if (*error == DibError::None && header.pixelsAt > fileSize) *error = DibError::ConversionError;
    if (*error != DibError::None) return true;

    const std::uint64_t pixelBytes = std::min(PixelDataBound(header), fileSize - header.pixelsAt);
    std::unique_ptr<std::uint8_t[]> pixels(new (std::nothrow) std::uint8_t[pixelBytes + 1]);
    if (!pixels) {
        *error = DibError::OutOfMemory;
        return true;
    }
    if (!ReadDataAt(file, pixels.get(), pixelBytes, header.pixelsAt)) return false;
    *image = Convert(header, pixels.get(), pixelBytes, error);
    return true;
}

void ShowError(const std::string& text) { plat::MessageBox(nullptr, text.c_str(), "Error", plat::MB_OK); }

}  // namespace

ImagePtr DecodeDibFile(const char* fileName) {
    if (!fileName) fileName = "";
    std::uint64_t size = 0;
    const int file = OpenDataFile(fileName, &size);
    ImagePtr image;
    DibError error = DibError::None;
    // An empty file counts as unopenable, as it cannot be mapped into memory either.
    const bool read = file >= 0 && size > 0 && ReadDib(file, size, &image, &error);
    CloseDataFile(file);
    if (!read) {
        ShowError(std::string("Failed to open DIB file ") + fileName + ".\n");
        return nullptr;
    }
    if (!image) ShowError(DibErrorText(error));
    return image;
}

ImagePtr LoadBitmapFile(const char* fileName) {
    if (!fileName) return nullptr;
    // Only whether the name opens at all, and without waiting on a pipe:
    // what it is decides the decoder, which reports it.
    if (!DataFileOpens(fileName)) return nullptr;
    return DecodeDibFile(fileName);
}
