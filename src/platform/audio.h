// The game's view of the audio output: one device, one output mix running at
// a fixed rate, and any number of voices, each holding one whole sound in its
// own sample format, played once or looping, with frequency, volume and pan.
//
// Implementations are chosen at link time: OpenAL (openal/, on Linux and in
// the browser), DirectSound (win32/) and a recording double for tests
// (tests/platform/fake/). The sound unit knows none of them.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace plat {

using AudioDevice = void*;  // null = no device
using AudioOutput = void*;  // the running output mix; null = none
using Voice = void*;        // one sound; null = none

// The sample layout of a voice, taken from its file's format record.
struct VoiceFormat {
    std::uint16_t formatTag;  // 1 = PCM
    std::uint16_t channels;
    std::uint32_t samplesPerSec;
    std::uint16_t blockAlign;
    std::uint16_t bitsPerSample;
};

// Voice status bits.
constexpr std::uint32_t VOICE_PLAYING = 1;
constexpr std::uint32_t VOICE_LOST = 2;  // the sample memory is gone and must be restored and refilled

// Volume in hundredths of a decibel (0 = full, -10000 = silent); pan in
// hundredths of a decibel too (-10000 = all left, 10000 = all right).
constexpr long VOLUME_MAX = 0;
constexpr long VOLUME_MIN = -10000;
constexpr long PAN_LEFT = -10000;
constexpr long PAN_RIGHT = 10000;
// Frequencies a voice can be played at; 0 asks for the file's own rate.
constexpr std::uint32_t FREQUENCY_ORIGINAL = 0;
constexpr std::uint32_t FREQUENCY_MIN = 100;
constexpr std::uint32_t FREQUENCY_MAX = 200000;

// The default output device, or null when there is none.
AudioDevice OpenAudioDevice();
void CloseAudioDevice(AudioDevice device);

// Starts the output mix at samplesPerSec for the given window; null on failure.
AudioOutput CreateAudioOutput(AudioDevice device, Handle window, std::uint32_t samplesPerSec);
void ReleaseAudioOutput(AudioOutput output);

// Sample memory all voices of a layer may hold together, whatever copies the
// layer keeps. Our own rifle sound takes a few megabytes 45 times over; a
// modder's few seconds of CD-quality stereo still fit. A voice that would
// pass it is not made and its sound stays silent, where 45 copies of a large
// file would take gigabytes.
constexpr std::uint64_t VOICE_MEMORY_BUDGET = 64u << 20;

// A silent voice of byteCount bytes in the given format; null when the device
// cannot take the format or the size, or has not the memory for it (within
// VOICE_MEMORY_BUDGET): never an exception.
Voice CreateVoice(AudioDevice device, const VoiceFormat& format, std::uint32_t byteCount);
void ReleaseVoice(Voice voice);

// The voice's whole sample memory for writing; Unlock hands it back with the
// number of bytes written (never more than were locked).
bool LockVoice(Voice voice, void** data, std::uint32_t* bytes);
bool UnlockVoice(Voice voice, void* data, std::uint32_t bytesWritten);

bool GetVoiceStatus(Voice voice, std::uint32_t* status);
// Gives a lost voice its memory back (its samples must be written again).
bool RestoreVoice(Voice voice);

// Starts from where it stopped (or from the start once it has played through);
// a voice already playing keeps its place and only takes the loop flag.
bool PlayVoice(Voice voice, bool loop);
bool StopVoice(Voice voice);

bool SetVoiceFrequency(Voice voice, std::uint32_t hz);
bool GetVoiceFrequency(Voice voice, std::uint32_t* hz);
bool SetVoiceVolume(Voice voice, long hundredthsOfDecibel);
bool GetVoiceVolume(Voice voice, long* hundredthsOfDecibel);
bool SetVoicePan(Voice voice, long pan);
bool GetVoicePan(Voice voice, long* pan);

}  // namespace plat
