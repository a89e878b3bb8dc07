// Feeds arbitrary bytes to the bitmap loader as a file on disk, through the
// same entry point the game loads its textures with: it must either refuse
// the file with one of its messages or hand back an image whose every byte
// exists.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "render/bitmap.h"
#include "platform/fake/fake_platform.h"
#include "scratch_file.h"

// Read pixels end up here so that the reads are not optimised away.
volatile unsigned pixelSink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = fuzz::WriteScratchFile("bitmap_fuzz.bmp", data, size);
    if (path == nullptr) return 0;

    fake::Reset();
    ImagePtr image = LoadBitmapFile(path);
    std::remove(path);
    const std::size_t boxes = fake::CallsNamed("MessageBox").size();
    if (!image) {
        if (boxes != 1) std::abort();  // refused without saying why, or said it twice
        return 0;
    }
    if (boxes != 0 || image->width <= 0 || image->height <= 0) std::abort();
    const std::size_t bytes = static_cast<std::size_t>(image->width) * static_cast<std::size_t>(image->height) * 3;
    if (bytes > kMaxPixelBytes) std::abort();
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; i += 61) sum += image->pixels[i];
    sum += image->pixels[bytes - 1];  // the last byte belongs to the block too
    pixelSink = sum;
    return 0;
}
