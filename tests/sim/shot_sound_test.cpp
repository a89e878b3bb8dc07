#include <gtest/gtest.h>

#include <string>

#include "app/game_state.h"
#include "sim/shot.h"
#include "sound/sound.h"
#include "platform/fake/fake_audio.h"
#include "sound/wav_files.h"
#include "support/fresh_game.h"

namespace {

int windowToken;

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

}  // namespace

TEST(ShotSound, EachShotPlaysItsRingSlotOnce) {
    fake::ResetAudio();
    ASSERT_TRUE(soundSystem.Initialize(&windowToken));
    using namespace wavfiles;
    const std::string path = WriteFile(ScratchDir() + "shot.wav", Wave(1, 22050, 8, "\x80\xc8\x3c\x80"));
    const std::size_t firstVoice = fake::audio().voices.size();
    for (SoundBuffer& s : shotSounds) ASSERT_TRUE(soundSystem.CreateSound(path.c_str(), s));

    // The 45th shot plays slot 44 and bursts into slot 0.
    AimFromStart(0, 85, 44);
    FireShot();
    EXPECT_EQ(LastPlayedSlot(firstVoice), 44);
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").back().value, 0);  // once, not looping
    EXPECT_EQ(shotSlot, 0);

    // The 46th plays slot 0 and bursts into slot 1.
    AimFromStart(0, 85, shotSlot);
    FireShot();
    EXPECT_EQ(LastPlayedSlot(firstVoice), 0);
    EXPECT_EQ(shotSlot, 1);
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").size(), 2u);

    // A frame without a request plays nothing.
    FireShot();
    EXPECT_EQ(fake::AudioCallsNamed("PlayVoice").size(), 2u);

    // A slot with no voice stays silent and the shot still goes off.
    shotSounds[1].Release();
    AimFromStart(0, 85, shotSlot);
    FireShot();
    EXPECT_EQ(shotSlot, 2);
    EXPECT_TRUE(burstActive);
    for (SoundBuffer& s : shotSounds) s.Release();
}
