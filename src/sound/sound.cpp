#include "sound/sound.h"

#include <cmath>
#include <cstring>

#include "app/game_state.h"

static_assert(kShotSounds == kShotRing, "one shot sound per slot of the ring");

// Constructed before the game starts: the device is open from then on.
SoundSystem soundSystem;
SoundBuffer shotSounds[kShotSounds];

namespace {

constexpr std::uint32_t kOutputRate = 44100;
constexpr float kDecibelScale = 10000.0f;

bool NameFits(const char* name) {
    return name != nullptr && std::strlen(name) < std::size_t(SoundBuffer::kFileNameChars);
}

// trunc(value * 10000) in single precision, or false when that is no number a
// voice could take (it would not fit a long).
bool ScaleToHundredths(float value, long* out) {
    const float product = value * kDecibelScale;
    if (!(std::fabs(product) < 1.0e9f)) return false;
    *out = static_cast<long>(product);
    return true;
}

plat::VoiceFormat VoiceFormatOf(const WAVEFORMATEX& format) {
    return plat::VoiceFormat{format.wFormatTag, format.nChannels, format.nSamplesPerSec, format.nBlockAlign,
                             format.wBitsPerSample};
}

}  // namespace

SoundSystem::SoundSystem() : device(nullptr), primaryBuffer(nullptr), primaryFormat{} {
    device = plat::OpenAudioDevice();
}

bool SoundSystem::Initialize(plat::Handle window) {
    if (device == nullptr) return false;
    primaryFormat.wFormatTag = WAVE_FORMAT_PCM;
    primaryFormat.nChannels = 2;
    primaryFormat.nSamplesPerSec = kOutputRate;
    primaryFormat.wBitsPerSample = 8;
    primaryFormat.nBlockAlign = primaryFormat.nChannels * primaryFormat.wBitsPerSample / 8;
    primaryFormat.nAvgBytesPerSec = primaryFormat.nBlockAlign * primaryFormat.nSamplesPerSec;
    primaryFormat.cbSize = 0;
    primaryBuffer = plat::CreateAudioOutput(device, window, primaryFormat.nSamplesPerSec);
    return primaryBuffer != nullptr;
}

bool SoundSystem::CreateSound(const char* fileName, SoundBuffer& sound) {
    WaveFile InputWave;
    if (device == nullptr) return false;
    // A name the sound cannot keep could never be refilled after a loss.
    if (!NameFits(fileName)) return false;
    if (!InputWave.Open(fileName)) return false;
    // A truncated file would leave the voice partly unfilled: better silent.
    if (!InputWave.DataFitsInFile()) return false;
    WAVEFORMATEX WaveFormat{};
    InputWave.GetFormat(&WaveFormat);

    // Creating into a sound that already has a voice would lose that voice.
    sound.Release();
    sound.buffer = plat::CreateVoice(device, VoiceFormatOf(WaveFormat), InputWave.GetDataSize());
    if (sound.buffer == nullptr) return false;

    InputWave.Close();
    sound.Load(fileName);
    return true;
}

bool SoundSystem::Release() {
    if (primaryBuffer != nullptr) {
        plat::ReleaseAudioOutput(primaryBuffer);
        primaryBuffer = nullptr;
    }
    if (device != nullptr) {
        plat::CloseAudioDevice(device);
        device = nullptr;
    }
    return true;
}

SoundBuffer::SoundBuffer() : buffer(nullptr), fileName{}, size(-1), format{} {}

bool SoundBuffer::Load(const char* name) {
    WaveFile InputWave;
    if (buffer == nullptr) return false;
    if (name != fileName) {
        if (!NameFits(name)) return false;
        std::strcpy(fileName, name);
    }
    if (!InputWave.Open(fileName)) return false;
    InputWave.GetFormat(&format);

    void* BufferPointer = nullptr;
    std::uint32_t Bytes1 = 0;
    if (!plat::LockVoice(buffer, &BufferPointer, &Bytes1)) return false;
    // The file may have grown since the voice was made for it: never write
    // past what the voice holds.
    const std::uint32_t dataSize = InputWave.GetDataSize();
    if (dataSize > Bytes1 || dataSize > std::uint32_t(INT32_MAX)) {
        plat::UnlockVoice(buffer, BufferPointer, 0);
        return false;
    }
    size = std::int32_t(dataSize);
    if (!InputWave.Read(BufferPointer, dataSize)) {
        plat::UnlockVoice(buffer, BufferPointer, dataSize);
        return false;
    }
    return plat::UnlockVoice(buffer, BufferPointer, dataSize);
}

bool SoundBuffer::Restore() {
    if (buffer == nullptr) return false;
    std::uint32_t Status = 0;
    if (!plat::GetVoiceStatus(buffer, &Status)) return false;
    if (Status & plat::VOICE_LOST) {
        if (!plat::RestoreVoice(buffer)) return false;
        if (!Load(fileName)) return false;
    }
    return true;
}

bool SoundBuffer::Play(bool loop) {
    if (buffer == nullptr) return false;
    if (!Restore()) return false;
    plat::PlayVoice(buffer, loop);
    return true;
}

void SoundBuffer::Release() {
    if (buffer != nullptr) {
        plat::ReleaseVoice(buffer);
        buffer = nullptr;
    }
}

bool SoundBuffer::Stop() { return buffer != nullptr && plat::StopVoice(buffer); }

bool SoundBuffer::IsPlaying() {
    if (buffer == nullptr) return false;
    std::uint32_t Status = 0;
    if (!plat::GetVoiceStatus(buffer, &Status)) return false;
    return (Status & plat::VOICE_PLAYING) != 0;
}

bool SoundBuffer::SetFrequency(std::uint32_t hz) { return buffer != nullptr && plat::SetVoiceFrequency(buffer, hz); }

bool SoundBuffer::GetFrequency(std::uint32_t* out) {
    return buffer != nullptr && out != nullptr && plat::GetVoiceFrequency(buffer, out);
}

bool SoundBuffer::SetVolume(float level) {
    long scaled = 0;
    if (buffer == nullptr || !ScaleToHundredths(level, &scaled)) return false;
    return plat::SetVoiceVolume(buffer, scaled - 10000);
}

bool SoundBuffer::GetVolume(float* out) {
    long DSVol = 0;
    if (buffer == nullptr || out == nullptr || !plat::GetVoiceVolume(buffer, &DSVol)) return false;
    *out = static_cast<float>(std::fabs(double(DSVol) + 10000.0) / std::fabs(10000.0));
    return true;
}

bool SoundBuffer::SetPan(float pan) {
    long scaled = 0;
    if (buffer == nullptr || !ScaleToHundredths(pan, &scaled)) return false;
    return plat::SetVoicePan(buffer, scaled);
}

bool SoundBuffer::GetPan(float* out) {
    long DSPan = 0;
    if (buffer == nullptr || out == nullptr || !plat::GetVoicePan(buffer, &DSPan)) return false;
    *out = static_cast<float>(DSPan) / kDecibelScale;
    return true;
}

std::int32_t SoundBuffer::GetSize() const { return buffer == nullptr ? -1 : size; }

bool SoundBuffer::GetFormat(WAVEFORMATEX* out) const {
    if (buffer == nullptr || out == nullptr) return false;
    std::memcpy(out, &format, sizeof format);
    return true;
}

void PlayFirstIdle(SoundBuffer* sounds, int count) {
    for (int i = 0; i < count; ++i) {
        if (!sounds[i].IsPlaying()) {
            sounds[i].Play(false);
            return;
        }
    }
}
