// Audio that is mixed on request instead of playing to a sound card, for
// tests that must hear exactly what was played, sample for sample, however
// busy the machine is. The game never calls these: it plays to the real
// device.
#pragma once

#include <cstdint>

namespace plat {

// Every later OpenAudioDevice opens a device that plays nothing by itself:
// its output mix advances only when RenderAudio asks for frames. False (and
// nothing changes) when the audio library cannot offer such a device.
bool UseLoopbackAudio();

// Mixes the next `frames` frames of the current output, which must run on a
// device opened after UseLoopbackAudio, into `out`: interleaved left and
// right, full scale 1.0, at the rate the output was created with. False when
// there is no such output.
bool RenderAudio(float* out, std::uint32_t frames);

}  // namespace plat
