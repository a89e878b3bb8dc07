// The system entry points the Windows layer reaches through a pointer rather
// than by import, so that its tests under Wine can stand in for what no
// machine here has: a driver's swap control, a pad. Plain types only: the
// tests see no system header. The build is 64-bit, with one calling
// convention, so these signatures are the system's own.
#pragma once

#include <cstdint>

namespace plat::win32 {

// wglGetProcAddress: an OpenGL extension's entry point, null where the driver lacks it.
extern void* (*glProcAddress)(const char* name);

// XInputGetState's record: the pad of one player slot.
struct PadReading {
    std::uint32_t packet;
    std::uint16_t buttons;
    std::uint8_t leftTrigger, rightTrigger;
    std::int16_t leftX, leftY, rightX, rightY;  // up is positive
};
// XInputGetState for slots 0 to 3: 0 with the reading, non-zero where no pad
// is plugged in. Null until the layer first reads: it then loads it from the
// system's XInput DLL, and leaves it null where there is none.
extern std::uint32_t (*padState)(std::uint32_t slot, PadReading* reading);

}  // namespace plat::win32
