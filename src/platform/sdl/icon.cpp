#include "platform/sdl/icon.h"

#include <vector>

#include "platform/data_file.h"

namespace plat::sdl {

void SetGameIcon(SDL_Window* window) {
    const std::vector<unsigned char> bytes = ReadIconFile();
    if (bytes.empty()) return;
    SDL_Surface* icon = SDL_LoadBMP_RW(SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size())), 1);
    if (!icon) return;
    SDL_SetWindowIcon(window, icon);
    SDL_FreeSurface(icon);
}

}  // namespace plat::sdl
