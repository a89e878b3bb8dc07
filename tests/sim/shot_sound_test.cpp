#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/game_state.h"
#include "sim/shot.h"
#include "sound/sound.h"
#include "platform/fake/fake_audio.h"

namespace {

int windowToken;

// A tiny mono 8-bit PCM file.
std::string WriteShortWave() {
    const unsigned char bytes[] = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ',
                                   16, 0, 0, 0, 1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x22, 0x56, 0, 0,
                                   1, 0, 8, 0, 'd', 'a', 't', 'a', 4, 0, 0, 0, 128, 200, 60, 128};
    const std::string path = testing::TempDir() + "sim_shot.wav";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f) {
        std::fwrite(bytes, 1, sizeof bytes, f);
        std::fclose(f);
    }
    return path;
}

// Index of the shot sound whose voice the last PlayVoice call started; -1 for none.
int LastPlayedSlot(std::size_t firstVoice) {
    const auto plays = fake::AudioCallsNamed("PlayVoice");
    if (plays.empty()) return -1;
    const auto& voices = fake::audio().voices;
    for (std::size_t i = firstVoice; i < voices.size(); ++i) {
        if (voices[i].get() == plays.back().voice) return static_cast<int>(i - firstVoice);
    }
    return -1;
}

void RequestShot(double pitchDegrees) {
    cameraX = -256, cameraZ = -256;
    frameHeading = 0;
    pitch = pitchDegrees;
    shotDone = true;
    burstActive = false;
    fireRequested = true;
}

}  // namespace

TEST(ShotSound, EachShotPlaysItsRingSlotOnce) {
    fake::ResetAudio();
    ASSERT_TRUE(soundSystem.Initialize(&windowToken));
    const std::string path = WriteShortWave();
    const std::size_t firstVoice = fake::audio().voices.size();
    for (SoundBuffer& s : shotSounds) ASSERT_TRUE(soundSystem.CreateSound(path.c_str(), s));

    // The 45th shot plays slot 44 and bursts into slot 0.
    shotSlot = 44;
    RequestShot(85);
    FireShot();
    EXPECT_EQ(LastPlayedSlot(firstVoice), 44);
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").back().value, 0);  // once, not looping
    EXPECT_EQ(shotSlot, 0);

    // The 46th plays slot 0 and bursts into slot 1.
    RequestShot(85);
    FireShot();
    EXPECT_EQ(LastPlayedSlot(firstVoice), 0);
    EXPECT_EQ(shotSlot, 1);
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").size(), 2u);

    // A frame without a request plays nothing.
    FireShot();
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").size(), 2u);

    // A slot with no voice stays silent and the shot still goes off.
    shotSounds[1].Release();
    RequestShot(85);
    FireShot();
    EXPECT_EQ(shotSlot, 2);
    EXPECT_TRUE(burstActive);
    for (SoundBuffer& s : shotSounds) s.Release();
}
