// The few OpenAL Soft extension names the audio layer refers to, which
// Emscripten's OpenAL does not ship. The browser's OpenAL knows neither the
// loopback device nor direct channels: it refuses the one request that uses
// them (that error is cleared before the next check), and plays stereo
// buffers unpanned anyway.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#define AL_DIRECT_CHANNELS_SOFT 0x1033
#define ALC_FORMAT_CHANNELS_SOFT 0x1990
#define ALC_FORMAT_TYPE_SOFT 0x1991
#define ALC_FLOAT_SOFT 0x1406
#define ALC_STEREO_SOFT 0x1501
#define ALC_OUTPUT_LIMITER_SOFT 0x199A

typedef ALCdevice*(*LPALCLOOPBACKOPENDEVICESOFT)(const ALCchar*);
typedef void(*LPALCRENDERSAMPLESSOFT)(ALCdevice*, ALCvoid*, ALCsizei);
