#include "platform/sdl/icon.h"

#include <vector>

#include "platform/data_file.h"

namespace plat::sdl {
namespace {

constexpr std::uint64_t kLargestIcon = 1 << 20;  // far more than a 256 x 256 bitmap needs

// The whole file, only if it is a regular file of a sensible size: a pipe or
// a device in its place must not hold up the start.
std::vector<char> ReadIconFile(const char* path) {
    std::vector<char> bytes;
    std::uint64_t size = 0;
    const int file = OpenDataFile(path, &size);
    if (file >= 0 && size > 0 && size <= kLargestIcon) {
        bytes.resize(static_cast<std::size_t>(size));
        if (!ReadDataAt(file, bytes.data(), size, 0)) bytes.clear();
    }
    CloseDataFile(file);
    return bytes;
}

}  // namespace

void SetGameIcon(SDL_Window* window) {
    const std::vector<char> bytes = ReadIconFile("icon.bmp");
    if (bytes.empty()) return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace plat::sdl
