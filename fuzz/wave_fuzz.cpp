// Feeds arbitrary bytes, as a file on disk, to the WAV reader and to sound
// creation over the audio double: nothing may crash, read out of bounds or
// write past a voice, and what the reader promises must hold.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/sound.h"
#include "sound/wave.h"
#include "platform/fake/fake_audio.h"
#include "scratch_file.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

void ExerciseReader(const char* path) {
    WaveFile wave;
    if (!wave.Open(path)) {
        Require(wave.GetDataSize() == 0 && wave.Handle() == nullptr);
        return;
    }
    WAVEFORMATEX format{};
    Require(wave.GetFormat(&format));
    Require(format.nChannels == wave.GetChannels() && format.nSamplesPerSec == wave.GetSampleRate());
    const std::uint32_t size = wave.GetDataSize();
    if (wave.DataFitsInFile()) {
        std::vector<unsigned char> data(size);
        Require(wave.Read(data.data(), size));
    } else {
        std::vector<unsigned char> some(4096);
        wave.Read(some.data(), std::uint32_t(some.size()));
    }
    Require(wave.Close() && !wave.DataFitsInFile());
}

void ExerciseSound(const char* path) {
    static int window;
    fake::ResetAudio();
    SoundSystem system;
    Require(system.Initialize(&window));
    SoundBuffer sound;
    if (system.CreateSound(path, sound)) {
        const fake::FakeVoice* voice = fake::audio().voices.back().get();
        Require(sound.GetSize() >= 0 && std::size_t(sound.GetSize()) <= voice->samples.size());
        fake::audio().voices.back()->lost = true;
        Require(sound.Play(false));
        sound.SetFrequency(44100);
    } else {
        Require(sound.GetSize() == -1 && !sound.Play(false));
    }
    sound.Release();
    system.Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t count) {
    const char* path = fuzz::WriteScratchFile("wave_fuzz.wav", bytes, count);
    if (path == nullptr) return 0;
    ExerciseReader(path);
    ExerciseSound(path);
    std::remove(path);
    return 0;
}
