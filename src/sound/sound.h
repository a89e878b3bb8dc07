// The Sound unit: the sound device and the sounds played through it. Each
// SoundBuffer holds one whole sound in a voice of its own, so the same file
// loaded into several buffers can sound several times at once.
#pragma once

#include <cstdint>

#include "platform/audio.h"
#include "sound/wave.h"

class SoundBuffer;

class SoundSystem {
public:
    // Opens the default audio device; without one every later call fails.
    SoundSystem();

    // Starts the output mix for the window: 44100 Hz, 8-bit stereo PCM.
    bool Initialize(plat::Handle window);
    // Makes a voice for the WAV file in its own format and fills it.
    bool CreateSound(const char* fileName, SoundBuffer& sound);
    bool Release();

private:
    plat::AudioDevice device;
    plat::AudioOutput primaryBuffer;
    WAVEFORMATEX primaryFormat;
};

class SoundBuffer {
public:
    // Room for a path with its terminator.
    static constexpr int kFileNameChars = 260;

    SoundBuffer();

    // Fills the existing voice from the file; a name that does not fit is refused.
    bool Load(const char* fileName);
    // Refills the voice from the kept name when the platform reports it lost.
    bool Restore();
    bool Play(bool loop);
    void Release();
    bool Stop();
    bool IsPlaying();
    bool SetFrequency(std::uint32_t hz);
    bool GetFrequency(std::uint32_t* out);
    // 1 = full, 0 = silent.
    bool SetVolume(float level);
    bool GetVolume(float* out);
    // -1 = left, 1 = right.
    bool SetPan(float pan);
    bool GetPan(float* out);
    // Bytes of sample data loaded, or -1 without a voice.
    std::int32_t GetSize() const;
    bool GetFormat(WAVEFORMATEX* out) const;

private:
    friend class SoundSystem;
    plat::Voice buffer;
    char fileName[kFileNameChars];
    std::int32_t size;
    WAVEFORMATEX format;
};

// Plays the first of `count` sounds that is not playing, if any.
void PlayFirstIdle(SoundBuffer* sounds, int count);

constexpr int kShotSounds = 45;
extern SoundSystem soundSystem;
extern SoundBuffer shotSounds[kShotSounds];
