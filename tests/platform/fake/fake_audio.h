// A recording double for the audio layer (platform/audio.h). Unit tests link
// it in place of OpenAL Soft: every call is recorded in order, each voice's
// samples and settings can be read back, and the device, the output, voice
// creation, locking, status and restoring can be made to fail. A voice can
// be marked lost, as a sound card may do when another program takes it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio.h"

namespace fake {

// One recorded audio call: `name` as in audio.h ("OpenAudioDevice",
// "CreateAudioOutput", "CreateVoice", "LockVoice", "UnlockVoice", "PlayVoice",
// "RestoreVoice", ...); `voice` the handle it was given;
// `value` the number it passed (rate, byte count, hz, loop flag).
struct AudioCall {
    std::string name;
    plat::Voice voice = nullptr;
    long value = 0;
    plat::Handle window = nullptr;
};

enum class AudioFail { OpenDevice, CreateOutput, CreateVoice, Lock, Unlock, Status, Restore, Count };

struct FakeVoice {
    plat::VoiceFormat format{};
    std::vector<unsigned char> samples;  // the voice's memory
    bool locked = false;
    bool playing = false;  // tests clear it to say the sound has played through
    bool looping = false;
    bool lost = false;     // Play refuses, status reports it, Restore clears it and spoils the memory
    bool released = false;
    std::uint32_t frequency = 0;
};

// Byte a restored voice's memory holds until it is written again.
constexpr unsigned char kSpoiled = 0xEE;

struct AudioState {
    std::vector<AudioCall> calls;
    bool fail[static_cast<int>(AudioFail::Count)] = {};
    std::vector<std::unique_ptr<FakeVoice>> voices;  // in creation order
    bool outputRunning = false;
};

AudioState& audio();

// No calls, nothing failing, no voices, no output (handles of old voices are
// no longer recognised).
void ResetAudio();

void FailAudio(AudioFail step, bool fail = true);

// The double's record behind a handle, or null for an unknown one.
FakeVoice* VoiceOf(plat::Voice voice);

std::vector<AudioCall> AudioCallsNamed(const std::string& name);
std::vector<std::string> AudioCallNames();

}  // namespace fake
