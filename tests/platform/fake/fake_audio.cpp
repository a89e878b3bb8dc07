#include "fake_audio.h"

#include <algorithm>

namespace fake {
namespace {

int deviceToken;  // the one device's handle points here

bool Failing(AudioFail step) { return audio().fail[static_cast<int>(step)]; }

void Record(const char* name, plat::Voice voice = nullptr, long value = 0, plat::Handle window = nullptr) {
    audio().calls.push_back(AudioCall{name, voice, value, window});
}

FakeVoice* Live(plat::Voice voice) {
    FakeVoice* record = VoiceOf(voice);
    return record != nullptr && !record->released ? record : nullptr;
}

}  // namespace

AudioState& audio() {
    // Built on first use: the game's sound device opens during static start-up.
    static AudioState state;
    return state;
}

void ResetAudio() { audio() = AudioState{}; }

void FailAudio(AudioFail step, bool fail) { audio().fail[static_cast<int>(step)] = fail; }

FakeVoice* VoiceOf(plat::Voice voice) {
    for (auto& record : audio().voices)
        if (record.get() == voice) return record.get();
    return nullptr;
}

std::vector<AudioCall> AudioCallsNamed(const std::string& name) {
    std::vector<AudioCall> found;
    std::copy_if(audio().calls.begin(), audio().calls.end(), std::back_inserter(found),
                 [&](const AudioCall& call) { return call.name == name; });
    return found;
}

std::vector<std::string> AudioCallNames() {
    std::vector<std::string> names;
    for (const auto& call : audio().calls) names.push_back(call.name);
    return names;
}

}  // namespace fake

namespace plat {

using fake::AudioFail;

AudioDevice OpenAudioDevice() {
    fake::Record("OpenAudioDevice");
    return fake::Failing(AudioFail::OpenDevice) ? nullptr : &fake::deviceToken;
}

void CloseAudioDevice(AudioDevice device) {
    fake::Record("CloseAudioDevice");
    if (device == &fake::deviceToken) fake::audio().outputRunning = false;
}

AudioOutput CreateAudioOutput(AudioDevice device, Handle window, std::uint32_t samplesPerSec) {
    fake::Record("CreateAudioOutput", nullptr, long(samplesPerSec), window);
    if (device != &fake::deviceToken || fake::Failing(AudioFail::CreateOutput)) return nullptr;
    fake::audio().outputRunning = true;
    return &fake::deviceToken;
}

void ReleaseAudioOutput(AudioOutput) {
    fake::Record("ReleaseAudioOutput");
    fake::audio().outputRunning = false;
}

Voice CreateVoice(AudioDevice device, const VoiceFormat& format, std::uint32_t byteCount) {
    fake::Record("CreateVoice", nullptr, long(byteCount));
    if (device != &fake::deviceToken || !fake::audio().outputRunning || fake::Failing(AudioFail::CreateVoice))
        return nullptr;
    auto voice = std::make_unique<fake::FakeVoice>();
    voice->format = format;
    voice->samples.assign(byteCount, 0);
    voice->frequency = format.samplesPerSec;
    fake::audio().voices.push_back(std::move(voice));
    return fake::audio().voices.back().get();
}

void ReleaseVoice(Voice voice) {
    fake::Record("ReleaseVoice", voice);
    if (fake::FakeVoice* record = fake::Live(voice)) record->released = true;
}

bool LockVoice(Voice voice, void** data, std::uint32_t* bytes) {
    fake::Record("LockVoice", voice);
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr || record->locked || record->lost || fake::Failing(AudioFail::Lock)) return false;
    record->locked = true;
    *data = record->samples.data();
    *bytes = std::uint32_t(record->samples.size());
    return true;
}

bool UnlockVoice(Voice voice, void* data, std::uint32_t bytesWritten) {
    fake::Record("UnlockVoice", voice, long(bytesWritten));
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr || !record->locked || data != record->samples.data()) return false;
    record->locked = false;
    return bytesWritten <= record->samples.size() && !fake::Failing(AudioFail::Unlock);
}

bool GetVoiceStatus(Voice voice, std::uint32_t* status) {
    fake::Record("GetVoiceStatus", voice);
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr || fake::Failing(AudioFail::Status)) return false;
    *status = (record->playing ? VOICE_PLAYING : 0) | (record->lost ? VOICE_LOST : 0);
    return true;
}

bool RestoreVoice(Voice voice) {
    fake::Record("RestoreVoice", voice);
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr || fake::Failing(AudioFail::Restore)) return false;
    record->lost = false;
    std::fill(record->samples.begin(), record->samples.end(), fake::kSpoiled);
    return true;
}

bool PlayVoice(Voice voice, bool loop) {
    fake::Record("PlayVoice", voice, loop ? 1 : 0);
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr || record->lost) return false;
    record->playing = true;
    record->looping = loop;
    return true;
}

bool StopVoice(Voice voice) {
    fake::Record("StopVoice", voice);
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr) return false;
    record->playing = false;
    return true;
}

bool SetVoiceFrequency(Voice voice, std::uint32_t hz) {
    fake::Record("SetVoiceFrequency", voice, long(hz));
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr) return false;
    if (hz == FREQUENCY_ORIGINAL) hz = record->format.samplesPerSec;
    if (hz < FREQUENCY_MIN || hz > FREQUENCY_MAX) return false;
    record->frequency = hz;
    return true;
}

bool GetVoiceFrequency(Voice voice, std::uint32_t* hz) {
    fake::FakeVoice* record = fake::Live(voice);
    if (record == nullptr) return false;
    *hz = record->frequency;
    return true;
}

// The game never sets a voice's volume or pan (the OpenAL tests measure
// them): the double has neither.
bool SetVoiceVolume(Voice, long) { return false; }
bool GetVoiceVolume(Voice, long*) { return false; }
bool SetVoicePan(Voice, long) { return false; }
bool GetVoicePan(Voice, long*) { return false; }

}  // namespace plat
