// Windows bitmap files, written bottom-up and uncompressed, in the three
// forms the game's decoder reads: 24-bit and 8-bit under the 40-byte info
// header, and 8-bit under the old 12-byte core header.
#pragma once

#include <cstdint>
#include <vector>

#include "image.h"

namespace datagen {

using Bytes = std::vector<std::uint8_t>;

Bytes EncodeBmp24(const Image& image);

// Without `writeColoursUsed` the table has all 256 entries and the header's
// count stays 0, as most painting programs write it; with it the table holds
// exactly the image's palette and the header says how many entries that is.
Bytes EncodeBmp8(const IndexedImage& image, bool writeColoursUsed);

// The core header has no colours-used field: the table always has 256
// three-byte entries.
Bytes EncodeBmp8Core(const IndexedImage& image);

}  // namespace datagen
