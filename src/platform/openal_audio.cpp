// The audio layer over OpenAL Soft: the device is an ALC device, the output
// mix its one context, and each voice an AL buffer holding the whole sound
// with a source of its own to play it.
#include <AL/al.h>
#include <AL/alc.h>

#include <cmath>
#include <new>
#include <vector>

#include "platform/audio.h"

namespace {

struct DeviceRecord {
    ALCdevice* device;
    ALCcontext* context;
};

struct VoiceRecord {
    ALuint buffer;
    ALuint source;
    ALenum alFormat;
    std::uint32_t samplesPerSec;
    std::uint32_t frameBytes;
    // What the voice plays, kept here so it can be handed out for writing
    // and given to OpenAL whole when writing is done.
    std::vector<unsigned char> samples;
    bool locked;
    std::uint32_t frequency;
    long volume;
    long pan;
};

// Sample memory all voices may hold together (each voice keeps its samples
// once here for locking and once more in OpenAL). Our own rifle sound takes
// 45 x 43 KiB; a modder's few seconds of CD-quality stereo still fit 45 times.
// A voice that would pass it is not made: that sound stays silent, where 45
// copies of a large file would take gigabytes.
constexpr std::uint64_t kVoiceMemoryBudget = 64u << 20;
std::uint64_t voiceMemoryHeld = 0;

DeviceRecord* DeviceOf(plat::AudioDevice device) { return static_cast<DeviceRecord*>(device); }
VoiceRecord* VoiceOf(plat::Voice voice) { return static_cast<VoiceRecord*>(voice); }

// OpenAL takes 8- and 16-bit PCM in one or two channels; anything else
// (24-bit, compressed, surround) gets no voice.
ALenum OpenAlFormat(const plat::VoiceFormat& format) {
    if (format.formatTag != 1) return AL_NONE;
    if (format.channels == 1 && format.bitsPerSample == 8) return AL_FORMAT_MONO8;
    if (format.channels == 1 && format.bitsPerSample == 16) return AL_FORMAT_MONO16;
    if (format.channels == 2 && format.bitsPerSample == 8) return AL_FORMAT_STEREO8;
    if (format.channels == 2 && format.bitsPerSample == 16) return AL_FORMAT_STEREO16;
    return AL_NONE;
}

// Gives the voice's samples to its AL buffer; OpenAL refuses new storage for
// a buffer a source holds, so the source lets go of it meanwhile.
bool Upload(VoiceRecord* voice) {
    alGetError();
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    const std::size_t whole = voice->samples.size() / voice->frameBytes * voice->frameBytes;
    alBufferData(voice->buffer, voice->alFormat, voice->samples.data(), ALsizei(whole), ALsizei(voice->samplesPerSec));
    alSourcei(voice->source, AL_BUFFER, ALint(voice->buffer));
    return alGetError() == AL_NO_ERROR;
}

bool IsPlaying(const VoiceRecord* voice) {
    ALint state = AL_STOPPED;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    return state == AL_PLAYING;
}

}  // namespace

namespace plat {

AudioDevice OpenAudioDevice() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (device == nullptr) return nullptr;
    return new DeviceRecord{device, nullptr};
}

void CloseAudioDevice(AudioDevice device) {
    DeviceRecord* record = DeviceOf(device);
    if (record == nullptr) return;
    ReleaseAudioOutput(record);
    alcCloseDevice(record->device);
    delete record;
}

AudioOutput CreateAudioOutput(AudioDevice device, Handle /*window: OpenAL mixes for the process*/,
                              std::uint32_t samplesPerSec) {
    DeviceRecord* record = DeviceOf(device);
    if (record == nullptr || record->context != nullptr) return nullptr;
    const ALCint attributes[] = {ALC_FREQUENCY, ALCint(samplesPerSec), 0};
    ALCcontext* context = alcCreateContext(record->device, attributes);
    if (context == nullptr) return nullptr;
    if (!alcMakeContextCurrent(context)) {
        alcDestroyContext(context);
        return nullptr;
    }
    // Pan is a direction only; distance must not change the volume.
    alDistanceModel(AL_NONE);
    record->context = context;
    return record;
}

void ReleaseAudioOutput(AudioOutput output) {
    DeviceRecord* record = DeviceOf(output);
    if (record == nullptr || record->context == nullptr) return;
    if (alcGetCurrentContext() == record->context) alcMakeContextCurrent(nullptr);
    alcDestroyContext(record->context);
    record->context = nullptr;
}

Voice CreateVoice(AudioDevice device, const VoiceFormat& format, std::uint32_t byteCount) {
    DeviceRecord* record = DeviceOf(device);
    if (record == nullptr || record->context == nullptr) return nullptr;
    const ALenum alFormat = OpenAlFormat(format);
    if (alFormat == AL_NONE || format.samplesPerSec == 0) return nullptr;
    const std::uint32_t frameBytes = format.channels * format.bitsPerSample / 8u;
    if (byteCount < frameBytes || byteCount > kVoiceMemoryBudget - voiceMemoryHeld) return nullptr;

    // Memory that cannot be had makes a silent voice, not the end of the game.
    auto* voice = new (std::nothrow) VoiceRecord{};
    if (voice == nullptr) return nullptr;
    try {
        voice->samples.assign(byteCount, format.bitsPerSample == 8 ? 0x80 : 0x00);  // silence
    } catch (const std::bad_alloc&) {
        delete voice;
        return nullptr;
    }
    voiceMemoryHeld += byteCount;
    voice->alFormat = alFormat;
    voice->samplesPerSec = format.samplesPerSec;
    voice->frameBytes = frameBytes;
    voice->frequency = format.samplesPerSec;

    alGetError();
    alGenBuffers(1, &voice->buffer);
    alGenSources(1, &voice->source);
    if (alGetError() != AL_NO_ERROR) {
        ReleaseVoice(voice);
        return nullptr;
    }
    alSourcei(voice->source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(voice->source, AL_POSITION, 0.0f, 0.0f, -1.0f);
    if (!Upload(voice)) {
        ReleaseVoice(voice);
        return nullptr;
    }
    return voice;
}

void ReleaseVoice(Voice handle) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr) return;
    if (alcGetCurrentContext() != nullptr) {
        if (voice->source != 0) {
            alSourceStop(voice->source);
            alDeleteSources(1, &voice->source);
        }
        if (voice->buffer != 0) alDeleteBuffers(1, &voice->buffer);
    }
    voiceMemoryHeld -= voice->samples.size();
    delete voice;
}

bool LockVoice(Voice handle, void** data, std::uint32_t* bytes) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || data == nullptr || bytes == nullptr || voice->locked) return false;
    voice->locked = true;
    *data = voice->samples.data();
    *bytes = std::uint32_t(voice->samples.size());
    return true;
}

bool UnlockVoice(Voice handle, void* data, std::uint32_t bytesWritten) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || !voice->locked || data != voice->samples.data()) return false;
    voice->locked = false;
    if (bytesWritten > voice->samples.size()) return false;
    return Upload(voice);
}

bool GetVoiceStatus(Voice handle, std::uint32_t* status) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || status == nullptr) return false;
    // OpenAL keeps the samples itself: a voice is never lost.
    *status = IsPlaying(voice) ? VOICE_PLAYING : 0;
    return true;
}

bool RestoreVoice(Voice handle) { return VoiceOf(handle) != nullptr; }

bool PlayVoice(Voice handle, bool loop) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr) return false;
    alGetError();
    alSourcei(voice->source, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
    // A playing voice keeps its place; a paused one resumes; one that has
    // played through starts again from the beginning.
    if (!IsPlaying(voice)) alSourcePlay(voice->source);
    return alGetError() == AL_NO_ERROR;
}

bool StopVoice(Voice handle) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr) return false;
    alGetError();
    if (IsPlaying(voice)) alSourcePause(voice->source);
    return alGetError() == AL_NO_ERROR;
}

bool SetVoiceFrequency(Voice handle, std::uint32_t hz) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr) return false;
    if (hz == FREQUENCY_ORIGINAL) hz = voice->samplesPerSec;
    if (hz < FREQUENCY_MIN || hz > FREQUENCY_MAX) return false;
    alGetError();
    alSourcef(voice->source, AL_PITCH, float(double(hz) / double(voice->samplesPerSec)));
    if (alGetError() != AL_NO_ERROR) return false;
    voice->frequency = hz;
    return true;
}

bool GetVoiceFrequency(Voice handle, std::uint32_t* hz) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || hz == nullptr) return false;
    *hz = voice->frequency;
    return true;
}

bool SetVoiceVolume(Voice handle, long level) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || level < VOLUME_MIN || level > VOLUME_MAX) return false;
    // Hundredths of a decibel to amplitude; the floor of the range is silence.
    const float gain = level == VOLUME_MIN ? 0.0f : float(std::pow(10.0, double(level) / 2000.0));
    alGetError();
    alSourcef(voice->source, AL_GAIN, gain);
    if (alGetError() != AL_NO_ERROR) return false;
    voice->volume = level;
    return true;
}

bool GetVoiceVolume(Voice handle, long* level) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || level == nullptr) return false;
    *level = voice->volume;
    return true;
}

bool SetVoicePan(Voice handle, long pan) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || pan < PAN_LEFT || pan > PAN_RIGHT) return false;
    // A direction on the unit circle in front of the listener, from hard
    // left through straight ahead to hard right.
    const double x = double(pan) / double(PAN_RIGHT);
    const double z = -std::sqrt(1.0 - x * x);
    alGetError();
    alSource3f(voice->source, AL_POSITION, float(x), 0.0f, float(z));
    if (alGetError() != AL_NO_ERROR) return false;
    voice->pan = pan;
    return true;
}

bool GetVoicePan(Voice handle, long* pan) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || pan == nullptr) return false;
    *pan = voice->pan;
    return true;
}

}  // namespace plat
