#include "platform/sdl_icon.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace plat::sdl {
namespace {

constexpr off_t kLargestIcon = 1 << 20;  // far more than a 256 x 256 bitmap needs

// The whole file, only if it is a regular file of a sensible size: a pipe or
// a device in its place must not hold up the start.
std::vector<char> ReadIconFile(const char* path) {
    std::vector<char> bytes;
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat info {};
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kLargestIcon) {
        bytes.resize(static_cast<size_t>(info.st_size));
        size_t got = 0;
        while (got < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + got, bytes.size() - got);
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        bytes.resize(got);
    }
    close(fd);
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
