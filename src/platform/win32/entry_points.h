// The system entry points the Windows layer reaches through a pointer rather
// than by import, so that its tests under Wine can stand in for what no
// machine here has: a driver's swap control. Plain types only: the
// tests see no system header. The build is 64-bit, with one calling
// convention, so these signatures are the system's own.
#pragma once

namespace plat::win32 {

// wglGetProcAddress: an OpenGL extension's entry point, null where the driver lacks it.
extern void* (*glProcAddress)(const char* name);

}  // namespace plat::win32
