// The audio layer on DirectSound: the device is the IDirectSound object, the
// output mix its primary buffer, and each voice a static secondary buffer
// that holds the whole sound.
#include "platform/audio.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>

#include <cstdint>
#include <cstring>
#include <new>

namespace {

struct VoiceRecord {
    IDirectSoundBuffer* buffer;
    void* locked;  // the region handed out by LockVoice, null when none
    DWORD lockedBytes;
    bool eightBit;  // silence is 0x80 rather than 0
    DWORD bytes;    // what the buffer holds, counted against the budget
};

std::uint64_t voiceMemoryHeld = 0;  // bytes of all voices' buffers, against VOICE_MEMORY_BUDGET

IDirectSound* DeviceOf(plat::AudioDevice device) { return static_cast<IDirectSound*>(device); }
IDirectSoundBuffer* OutputOf(plat::AudioOutput output) { return static_cast<IDirectSoundBuffer*>(output); }
VoiceRecord* VoiceOf(plat::Voice voice) { return static_cast<VoiceRecord*>(voice); }

constexpr WORD kOutputChannels = 2;
constexpr WORD kOutputBits = 8;

WAVEFORMATEX SystemFormat(const plat::VoiceFormat& format) {
    WAVEFORMATEX system{};
    system.wFormatTag = format.formatTag;
    system.nChannels = format.channels;
    system.nSamplesPerSec = format.samplesPerSec;
    system.nBlockAlign = format.blockAlign;
    system.wBitsPerSample = format.bitsPerSample;
    system.nAvgBytesPerSec = format.samplesPerSec * format.blockAlign;
    system.cbSize = 0;
    return system;
}

// Writes silence over the whole buffer, which DirectSound leaves undefined.
bool Silence(VoiceRecord* voice) {
    void* data = nullptr;
    DWORD bytes = 0;
    if (FAILED(voice->buffer->Lock(0, 0, &data, &bytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) return false;
    std::memset(data, voice->eightBit ? 0x80 : 0x00, bytes);
    return SUCCEEDED(voice->buffer->Unlock(data, bytes, nullptr, 0));
}

}  // namespace

namespace plat {

AudioDevice OpenAudioDevice() {
    IDirectSound* device = nullptr;
    if (FAILED(::DirectSoundCreate(nullptr, &device, nullptr))) return nullptr;
    return device;
}

void CloseAudioDevice(AudioDevice device) {
    if (IDirectSound* sound = DeviceOf(device)) sound->Release();
}

AudioOutput CreateAudioOutput(AudioDevice device, Handle window, std::uint32_t samplesPerSec) {
    IDirectSound* sound = DeviceOf(device);
    if (sound == nullptr || samplesPerSec == 0) return nullptr;
    if (FAILED(sound->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY))) return nullptr;

    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(sound->CreateSoundBuffer(&description, &primary, nullptr))) return nullptr;

    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = kOutputChannels;
    format.nSamplesPerSec = samplesPerSec;
    format.wBitsPerSample = kOutputBits;
    format.nBlockAlign = kOutputChannels * kOutputBits / 8;
    format.nAvgBytesPerSec = format.nBlockAlign * samplesPerSec;
    if (FAILED(primary->SetFormat(&format))) {
        primary->Release();
        return nullptr;
    }
    return primary;
}

void ReleaseAudioOutput(AudioOutput output) {
    if (IDirectSoundBuffer* primary = OutputOf(output)) primary->Release();
}

Voice CreateVoice(AudioDevice device, const VoiceFormat& format, std::uint32_t byteCount) {
    IDirectSound* sound = DeviceOf(device);
    // A record DirectSound would have to guess about gets no voice.
    if (sound == nullptr || format.channels == 0 || format.blockAlign == 0 || format.samplesPerSec == 0 ||
        byteCount < format.blockAlign || byteCount > VOICE_MEMORY_BUDGET - voiceMemoryHeld)
        return nullptr;
    WAVEFORMATEX waveFormat = SystemFormat(format);
    DSBUFFERDESC description{};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_STATIC | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                          DSBCAPS_CTRLPOSITIONNOTIFY;
    description.dwBufferBytes = byteCount;
    description.lpwfxFormat = &waveFormat;
    IDirectSoundBuffer* buffer = nullptr;
    if (FAILED(sound->CreateSoundBuffer(&description, &buffer, nullptr))) return nullptr;

    auto* voice = new (std::nothrow) VoiceRecord{buffer, nullptr, 0, format.bitsPerSample == 8, byteCount};
    if (voice == nullptr) {
        buffer->Release();
        return nullptr;
    }
    voiceMemoryHeld += byteCount;
    if (!Silence(voice)) {
        ReleaseVoice(voice);
        return nullptr;
    }
    return voice;
}

void ReleaseVoice(Voice handle) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr) return;
    if (voice->locked) voice->buffer->Unlock(voice->locked, 0, nullptr, 0);
    voice->buffer->Release();
    voiceMemoryHeld -= voice->bytes;
    delete voice;
}

bool LockVoice(Voice handle, void** data, std::uint32_t* bytes) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || data == nullptr || bytes == nullptr || voice->locked) return false;
    void* region = nullptr;
    DWORD length = 0;
    if (FAILED(voice->buffer->Lock(0, 0, &region, &length, nullptr, nullptr, DSBLOCK_ENTIREBUFFER))) return false;
    voice->locked = region;
    voice->lockedBytes = length;
    *data = region;
    *bytes = length;
    return true;
}

bool UnlockVoice(Voice handle, void* data, std::uint32_t bytesWritten) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || voice->locked == nullptr || data != voice->locked) return false;
    // A count past the region is refused after the region is handed back,
    // so the buffer is never left locked.
    const bool fits = bytesWritten <= voice->lockedBytes;
    const HRESULT result = voice->buffer->Unlock(data, fits ? bytesWritten : voice->lockedBytes, nullptr, 0);
    voice->locked = nullptr;
    voice->lockedBytes = 0;
    return fits && SUCCEEDED(result);
}

bool GetVoiceStatus(Voice handle, std::uint32_t* status) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || status == nullptr) return false;
    DWORD system = 0;
    if (FAILED(voice->buffer->GetStatus(&system))) return false;
    *status = ((system & DSBSTATUS_PLAYING) ? VOICE_PLAYING : 0) | ((system & DSBSTATUS_BUFFERLOST) ? VOICE_LOST : 0);
    return true;
}

bool RestoreVoice(Voice handle) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->Restore());
}

bool PlayVoice(Voice handle, bool loop) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->Play(0, 0, loop ? DSBPLAY_LOOPING : 0));
}

bool StopVoice(Voice handle) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->Stop());
}

bool SetVoiceFrequency(Voice handle, std::uint32_t hz) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->SetFrequency(hz));
}

bool GetVoiceFrequency(Voice handle, std::uint32_t* hz) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || hz == nullptr) return false;
    DWORD system = 0;
    if (FAILED(voice->buffer->GetFrequency(&system))) return false;
    *hz = system;
    return true;
}

bool SetVoiceVolume(Voice handle, long level) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->SetVolume(level));
}

bool GetVoiceVolume(Voice handle, long* level) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || level == nullptr) return false;
    LONG system = 0;
    if (FAILED(voice->buffer->GetVolume(&system))) return false;
    *level = system;
    return true;
}

bool SetVoicePan(Voice handle, long pan) {
    VoiceRecord* voice = VoiceOf(handle);
    return voice != nullptr && SUCCEEDED(voice->buffer->SetPan(pan));
}

bool GetVoicePan(Voice handle, long* pan) {
    VoiceRecord* voice = VoiceOf(handle);
    if (voice == nullptr || pan == nullptr) return false;
    LONG system = 0;
    if (FAILED(voice->buffer->GetPan(&system))) return false;
    *pan = system;
    return true;
}

}  // namespace plat
