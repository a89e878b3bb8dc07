// Feeds arbitrary bytes, as a file on disk, to sound creation over the real
// OpenAL Soft layer (its silent output): the reader, the voice made for the
// file's format and size and the samples handed to OpenAL must hold up, and
// a sound is either made and plays or stays empty and silent.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sound/sound.h"
#include "scratch_file.h"

namespace {

int window;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The game's own sound system came up before this with whatever device
    // there is; the fuzzer's runs go through it once its output is started.
    if (!soundSystem.Initialize(&window)) {
        std::fprintf(stderr, "no OpenAL device: set ALSOFT_DRIVERS=null\n");
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t count) {
    const char* path = fuzz::WriteScratchFile("voice_fuzz.wav", bytes, count);
    if (path == nullptr) return 0;
    SoundBuffer sound;
    if (soundSystem.CreateSound(path, sound)) {
        if (sound.GetSize() < 0 || std::size_t(sound.GetSize()) > count) std::abort();
        if (!sound.Play(false) || !sound.SetFrequency(44100)) std::abort();
        sound.Stop();
    } else if (sound.GetSize() != -1 || sound.Play(false)) {
        std::abort();
    }
    sound.Release();
    std::remove(path);
    return 0;
}
