// The audio layer over OpenAL Soft: the device is an ALC device, the output
// mix its one context, and each voice an AL buffer holding the whole sound
// with a source of its own to play it.
//
// Levels follow the hundredths-of-a-decibel law of the voice interface: a
// voice at volume 0 and pan 0 sounds at its samples' own level in both
// channels, and pan only ever lowers the far channel. OpenAL's panning of a
// mono source cannot do that (straight ahead it is 4.5 dB down in both
// channels), so every voice is handed to OpenAL as stereo with the pan
// already applied to each channel, and played straight to the left and right
// outputs.
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "platform/audio.h"
#include "platform/audio_loopback.h"

namespace {

struct DeviceRecord {
    ALCdevice* device;
    ALCcontext* context;
    bool loopback;  // mixes only when asked to render
    DeviceRecord* next;  // the devices still open
};

// Open devices, so that any left open when the process ends are closed then:
// OpenAL complains on stderr about a device nobody closed, and the game may
// end before it ever got to releasing its sound.
DeviceRecord* openDevices = nullptr;

bool loopbackRequested = false;
LPALCLOOPBACKOPENDEVICESOFT loopbackOpenDevice = nullptr;
LPALCRENDERSAMPLESSOFT loopbackRender = nullptr;

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

std::uint64_t voiceMemoryHeld = 0;

// What a voice of byteCount bytes costs against the budget: each voice keeps
// its samples once here for locking, and OpenAL holds them again as 16-bit
// stereo (up to four times the size, for 8-bit mono).
std::uint64_t VoiceCost(std::uint32_t byteCount, std::uint32_t frameBytes) {
    return std::uint64_t(byteCount) + std::uint64_t(byteCount / frameBytes) * 2 * sizeof(ALshort);
}

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

// Hundredths of a decibel (at most 0) to amplitude; the floor of the range is silence.
double Amplitude(long level) {
    if (level <= plat::VOLUME_MIN) return 0.0;
    return std::pow(10.0, double(level) / 2000.0);
}

// The voice's samples as OpenAL plays them: 16-bit stereo, the left channel
// lowered by a pan to the right and the right one by a pan to the left.
std::vector<ALshort> PannedStereo(const VoiceRecord& voice) {
    const bool wide = voice.alFormat == AL_FORMAT_MONO16 || voice.alFormat == AL_FORMAT_STEREO16;
    const bool stereo = voice.alFormat == AL_FORMAT_STEREO8 || voice.alFormat == AL_FORMAT_STEREO16;
    const double gain[2] = {Amplitude(voice.pan > 0 ? -voice.pan : 0), Amplitude(voice.pan < 0 ? voice.pan : 0)};
    const std::size_t frames = voice.samples.size() / voice.frameBytes;
    const unsigned char* in = voice.samples.data();
    std::vector<ALshort> out(frames * 2);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < 2; ++channel) {
            const unsigned char* sample = in + frame * voice.frameBytes + (stereo ? channel * (wide ? 2 : 1) : 0);
            // 8-bit samples are unsigned around 128; 16-bit ones signed, low byte first.
            const int value = wide ? int(ALshort(sample[0] | sample[1] << 8)) : (int(sample[0]) - 128) * 256;
            out[frame * 2 + channel] = ALshort(std::lround(value * gain[channel]));
        }
    }
    return out;
}

// Gives the voice's samples to its AL buffer; OpenAL refuses new storage for
// a buffer a source holds, so the source lets go of it meanwhile.
bool Upload(VoiceRecord* voice) {
    alGetError();
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    std::vector<ALshort> played;
    try {
        played = PannedStereo(*voice);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (played.size() * sizeof(ALshort) > std::size_t(INT_MAX)) return false;
    alBufferData(voice->buffer, AL_FORMAT_STEREO16, played.data(), ALsizei(played.size() * sizeof(ALshort)),
                 ALsizei(voice->samplesPerSec));
    alSourcei(voice->source, AL_BUFFER, ALint(voice->buffer));
    return alGetError() == AL_NO_ERROR;
}

// Uploads again after a pan change; a voice that was playing or paused
// carries on from the same sample.
bool UploadKeepingPlace(VoiceRecord* voice) {
    ALint state = AL_INITIAL, offset = 0;
    alGetSourcei(voice->source, AL_SOURCE_STATE, &state);
    alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
    if (!Upload(voice)) return false;
    if (state == AL_PLAYING || state == AL_PAUSED) {
        // Taken up by the next play, which for a paused voice is its resumption.
        alSourcei(voice->source, AL_SAMPLE_OFFSET, offset);
        if (state == AL_PLAYING) alSourcePlay(voice->source);
    }
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
    ALCdevice* device = loopbackRequested ? loopbackOpenDevice(nullptr) : alcOpenDevice(nullptr);
    if (device == nullptr) return nullptr;
    static const bool closedAtExit = std::atexit([] {
        while (openDevices != nullptr) CloseAudioDevice(openDevices);
    }) == 0;
    (void)closedAtExit;
    openDevices = new DeviceRecord{device, nullptr, loopbackRequested, openDevices};
    return openDevices;
}

void CloseAudioDevice(AudioDevice device) {
    DeviceRecord* record = DeviceOf(device);
    if (record == nullptr) return;
    ReleaseAudioOutput(record);
    alcCloseDevice(record->device);
    for (DeviceRecord** link = &openDevices; *link != nullptr; link = &(*link)->next) {
        if (*link == record) {
            *link = record->next;
            break;
        }
    }
    delete record;
}

AudioOutput CreateAudioOutput(AudioDevice device, Handle /*window: OpenAL mixes for the process*/,
                              std::uint32_t samplesPerSec) {
    DeviceRecord* record = DeviceOf(device);
    if (record == nullptr || record->context != nullptr) return nullptr;
    if (samplesPerSec == 0 || samplesPerSec > std::uint32_t(INT_MAX)) return nullptr;
    // A loopback device has no format of its own: it mixes in float stereo
    // without OpenAL's output limiter, so that what is rendered is the mix itself.
    const ALCint attributes[] = {ALC_FREQUENCY, ALCint(samplesPerSec), 0};
    const ALCint loopbackAttributes[] = {ALC_FREQUENCY,     ALCint(samplesPerSec), ALC_FORMAT_CHANNELS_SOFT,
                                         ALC_STEREO_SOFT,   ALC_FORMAT_TYPE_SOFT,  ALC_FLOAT_SOFT,
                                         ALC_OUTPUT_LIMITER_SOFT, ALC_FALSE,       0};
    ALCcontext* context = alcCreateContext(record->device, record->loopback ? loopbackAttributes : attributes);
    if (context == nullptr) return nullptr;
    if (!alcMakeContextCurrent(context)) {
        alcDestroyContext(context);
        return nullptr;
    }
    // Distance must never change a voice's level.
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
    if (byteCount < frameBytes || VoiceCost(byteCount, frameBytes) > VOICE_MEMORY_BUDGET - voiceMemoryHeld) {
        return nullptr;
    }

    // Memory that cannot be had makes a silent voice, not the end of the game.
    auto* voice = new (std::nothrow) VoiceRecord{};
    if (voice == nullptr) return nullptr;
    try {
        voice->samples.assign(byteCount, format.bitsPerSample == 8 ? 0x80 : 0x00);  // silence
    } catch (const std::bad_alloc&) {
        delete voice;
        return nullptr;
    }
    voiceMemoryHeld += VoiceCost(byteCount, frameBytes);
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
    // Left to the left output and right to the right, unpanned by OpenAL.
    alSourcei(voice->source, AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
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
    voiceMemoryHeld -= VoiceCost(std::uint32_t(voice->samples.size()), voice->frameBytes);
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
    alGetError();
    alSourcef(voice->source, AL_GAIN, float(Amplitude(level)));
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
    if (pan == voice->pan) return true;
    if (voice->locked) {
        voice->pan = pan;  // applied when the samples being written are handed back
        return true;
    }
    const long before = voice->pan;
    voice->pan = pan;
    if (UploadKeepingPlace(voice)) return true;
    voice->pan = before;
    return false;
}

bool GetVoicePan(Voice handle, long* pan) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || pan == nullptr) return false;
    *pan = voice->pan;
    return true;
}

bool UseLoopbackAudio() {
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
    loopbackOpenDevice =
        reinterpret_cast<LPALCLOOPBACKOPENDEVICESOFT>(alcGetProcAddress(nullptr, "alcLoopbackOpenDeviceSOFT"));
    loopbackRender = reinterpret_cast<LPALCRENDERSAMPLESSOFT>(alcGetProcAddress(nullptr, "alcRenderSamplesSOFT"));
    loopbackRequested = loopbackOpenDevice != nullptr && loopbackRender != nullptr;
    return loopbackRequested;
}

bool RenderAudio(float* out, std::uint32_t frames) {
    ALCcontext* current = alcGetCurrentContext();
    if (out == nullptr || frames > std::uint32_t(INT_MAX) || current == nullptr) return false;
    for (DeviceRecord* record = openDevices; record != nullptr; record = record->next) {
        if (record->context == current && record->loopback) {
            loopbackRender(record->device, out, ALCsizei(frames));
            return true;
        }
    }
    return false;
}

}  // namespace plat
