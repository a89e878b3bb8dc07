#include "platform/web/gl_mipmaps.h"

#include <algorithm>

namespace plat::web {

std::vector<unsigned char> Shrink(const unsigned char* from, int width, int height, std::size_t rowBytes,
                                  int channels, int toWidth, int toHeight) {
    std::vector<unsigned char> to(std::size_t(toWidth) * toHeight * channels);
    for (int y = 0; y < toHeight; ++y) {
        const int y0 = y * height / toHeight, y1 = std::max(y0 + 1, (y + 1) * height / toHeight);
        for (int x = 0; x < toWidth; ++x) {
            const int x0 = x * width / toWidth, x1 = std::max(x0 + 1, (x + 1) * width / toWidth);
            for (int c = 0; c < channels; ++c) {
                unsigned sum = 0;
                for (int sy = y0; sy < y1; ++sy)
                    for (int sx = x0; sx < x1; ++sx) sum += from[sy * rowBytes + std::size_t(sx) * channels + c];
                const unsigned count = unsigned((y1 - y0) * (x1 - x0));
                to[(std::size_t(y) * toWidth + x) * channels + c] = static_cast<unsigned char>((sum + count / 2) / count);
            }
        }
    }
    return to;
}

int PowerOfTwoAtMost(int n) {
    int p = 1;
    while (p * 2 <= n) p *= 2;
    return p;
}

}  // namespace plat::web
