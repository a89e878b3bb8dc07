// What the browser's clock needs from its window layer (frame.cpp).
#pragma once

#include <cstdint>

namespace plat::web {

// Hands the page back to the browser for about this long: what has been
// drawn is shown, input arrives, sound plays on. The whole wait counts as
// idle time in the frame costs reported to benchmarks.
void Yield(std::uint32_t milliseconds);

}  // namespace plat::web
