// The fuzz targets hand their input to the game as a file on disk, the way
// the game meets its data: one scratch file a process, in memory where the
// machine has a RAM disk.
#pragma once

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

// Writes the input to this process's scratch file named after `stem`
// (e.g. "bitmap.bmp"); its path, or nullptr when it cannot be written.
inline const char* WriteScratchFile(const char* stem, const std::uint8_t* bytes, std::size_t count) {
    static const std::string path = [stem] {
        const char* folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        return std::string(folder) + "/veldrake_" + std::to_string(getpid()) + "_" + stem;
    }();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return nullptr;
    const bool written = std::fwrite(bytes, 1, count, file) == count;
    return std::fclose(file) == 0 && written ? path.c_str() : nullptr;
}

}  // namespace fuzz
