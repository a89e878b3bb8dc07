// Feeds arbitrary bytes to the bitmap decoder: it must either refuse them
// with one of its messages or hand back an image whose every byte exists.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "render/bitmap.h"

constexpr std::uint64_t kFuzzPixelLimit = 1u << 20;

// Read pixels end up here so that the reads are not optimised away.
volatile unsigned pixelSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    DibError error = DibError::None;
    // A few bytes of run-length data may describe a picture of 256 MiB; a
    // lower limit keeps each run quick and still takes the refusal path.
    ImagePtr image = DecodeDib(data, size, &error, kFuzzPixelLimit);
    if (!image) {
        if (error == DibError::None) std::abort();  // refused without a reason
        return 0;
    }
    if (error != DibError::None || image->width <= 0 || image->height <= 0) std::abort();
    const std::size_t bytes = static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3;
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; i += 61) sum += image->pixels[i];
    sum += image->pixels[bytes - 1];  // the last byte belongs to the block too
    pixelSink = sum;
    return 0;
}
