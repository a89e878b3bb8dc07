// The mipmap levels our GL layer in the browser (gl.cpp) makes for
// gluBuild2DMipmaps: WebGL 1 takes only powers of two.
#pragma once

#include <cstddef>
#include <vector>

namespace plat::web {

// The texture's levels as WebGL takes them: the picture brought to the next
// smaller powers of two, then each level from the one before down to 1 x 1.
// Every texel is the mean of the texels its square covers. `rowBytes` is the
// source's row length with its padding.
std::vector<unsigned char> Shrink(const unsigned char* from, int width, int height, std::size_t rowBytes,
                                  int channels, int toWidth, int toHeight);
int PowerOfTwoAtMost(int n);

}  // namespace plat::web
