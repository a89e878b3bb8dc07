#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/fake/fake_audio.h"
#include "sound/sound.h"
#include "wav_files.h"

using namespace wavfiles;

namespace {

int windowToken;
plat::Handle const kWindow = &windowToken;

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake::ResetAudio();
        dir = ScratchDir();
        samples = Ramp(400);
        rifle = WriteFile(dir + "rifle.wav", Wave(1, 22050, 16, samples));
    }

    // A device with its output running, as the game has it after start-up.
    void StartSystem() {
        ASSERT_TRUE(system.Initialize(kWindow));
        fake::audio().calls.clear();
    }

    static std::string VoiceBytes(std::size_t index = 0) {
        const auto& voice = fake::audio().voices.at(index);
        return std::string(voice->samples.begin(), voice->samples.end());
    }

    std::string dir, samples, rifle;
    SoundSystem system;
};

}  // namespace

TEST(SoundGlobals, DeviceOpensAtProgramStartAndShotSoundsStartEmpty) {
    // Whatever tests ran before, the device handed out at static start-up
    // still works: only the window is needed now.
    EXPECT_TRUE(soundSystem.Initialize(kWindow));
    for (auto& sound : shotSounds) {
        EXPECT_EQ(sound.GetSize(), -1);
        EXPECT_FALSE(sound.Play(false));
    }
    soundSystem.Release();
}

TEST_F(SoundTest, InitializeStartsTheOutputOrFails) {
    ASSERT_TRUE(system.Initialize(kWindow));
    auto outputs = fake::AudioCallsNamed("CreateAudioOutput");
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].value, 44100);
    EXPECT_EQ(outputs[0].window, kWindow);

    fake::FailAudio(fake::AudioFail::OpenDevice);
    SoundSystem withoutDevice;
    EXPECT_FALSE(withoutDevice.Initialize(kWindow));
    SoundBuffer sound;
    EXPECT_FALSE(withoutDevice.CreateSound(rifle.c_str(), sound));
    EXPECT_EQ(sound.GetSize(), -1);

    fake::ResetAudio();
    fake::FailAudio(fake::AudioFail::CreateOutput);
    SoundSystem refused;
    EXPECT_FALSE(refused.Initialize(kWindow));
}

TEST_F(SoundTest, CreateSoundMakesAVoiceOfTheFileAndFillsIt) {
    StartSystem();
    SoundBuffer sound;
    EXPECT_EQ(sound.GetSize(), -1);
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));
    EXPECT_EQ((fake::AudioCallNames()),
              (std::vector<std::string>{"CreateVoice", "LockVoice", "UnlockVoice"}));
    EXPECT_EQ(fake::AudioCallsNamed("CreateVoice")[0].value, 400);
    EXPECT_EQ(fake::audio().voices.at(0)->format.samplesPerSec, 22050u);
    EXPECT_EQ(VoiceBytes(), samples);
    EXPECT_EQ(sound.GetSize(), 400);

    // Creating again gives up the first voice instead of losing it.
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));
    EXPECT_TRUE(fake::audio().voices.at(0)->released);
    EXPECT_FALSE(fake::audio().voices.at(1)->released);
}

TEST_F(SoundTest, UnusableFilesLeaveTheSoundEmptyAndSilent) {
    StartSystem();
    const std::string missing = dir + "missing.wav";
    const std::string truncated =
        WriteFile(dir + "truncated.wav", Riff(Chunk("fmt ", Format(1, 22050, 16)) + ChunkDeclaring("data", 4000, Ramp(40))));
    const std::string refusedFormat = WriteFile(dir + "24bit.wav", Wave(1, 22050, 24, Ramp(300)));

    for (const std::string& name : {missing, truncated}) {
        SoundBuffer sound;
        EXPECT_FALSE(system.CreateSound(name.c_str(), sound)) << name;
        EXPECT_EQ(sound.GetSize(), -1);
        EXPECT_FALSE(sound.Play(false));
        EXPECT_FALSE(sound.IsPlaying());
    }
    EXPECT_TRUE(fake::AudioCallsNamed("CreateVoice").empty()) << "a truncated file never gets a voice";

    // The device refuses the format (as OpenAL does 24-bit samples).
    fake::FailAudio(fake::AudioFail::CreateVoice);
    SoundBuffer sound;
    EXPECT_FALSE(system.CreateSound(refusedFormat.c_str(), sound));
    EXPECT_EQ(sound.GetSize(), -1);
    EXPECT_FALSE(sound.Play(false));
    EXPECT_TRUE(fake::AudioCallsNamed("PlayVoice").empty());
}

TEST_F(SoundTest, LoadNeverWritesPastTheVoice) {
    StartSystem();
    SoundBuffer sound;
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));

    // The file grows after the voice was made for it.
    WriteFile(rifle, Wave(1, 22050, 16, Ramp(4000)));
    EXPECT_FALSE(sound.Load(rifle.c_str()));
    EXPECT_EQ(fake::AudioCallsNamed("UnlockVoice").back().value, 0);
    EXPECT_EQ(VoiceBytes(), samples) << "the voice keeps what it had";
    EXPECT_EQ(sound.GetSize(), 400);

    // A shorter file fits and fills the front of the voice.
    WriteFile(rifle, Wave(1, 22050, 16, "zz"));
    EXPECT_TRUE(sound.Load(rifle.c_str()));
    EXPECT_EQ(sound.GetSize(), 2);
    EXPECT_EQ(VoiceBytes().substr(0, 3), "zz" + samples.substr(2, 1));

    // A file whose data was cut off since: the read fails, the voice is handed back.
    WriteFile(rifle, Riff(Chunk("fmt ", Format(1, 22050, 16)) + ChunkDeclaring("data", 100, "abc")));
    EXPECT_FALSE(sound.Load(rifle.c_str()));
    EXPECT_FALSE(fake::audio().voices.at(0)->locked);

    SoundBuffer empty;
    EXPECT_FALSE(empty.Load(rifle.c_str()));
    fake::FailAudio(fake::AudioFail::Lock);
    EXPECT_FALSE(sound.Load(rifle.c_str()));
}

TEST_F(SoundTest, FileNamesLongerThanTheFieldAreRefused) {
    StartSystem();
    // A real path of exactly 259 characters fits with its terminator.
    std::string folder = dir;
    while (folder.size() + 100 < 259 - 4) folder += std::string(90, 'd') + "/";
    std::filesystem::create_directories(folder);
    ASSERT_TRUE(std::filesystem::is_directory(folder));
    const std::string longest = folder + std::string(259 - 4 - folder.size(), 'n') + ".wav";
    ASSERT_EQ(longest.size(), 259u);
    WriteFile(longest, Wave(1, 22050, 16, samples));

    SoundBuffer sound;
    ASSERT_TRUE(system.CreateSound(longest.c_str(), sound));
    EXPECT_EQ(VoiceBytes(), samples);

    const std::string tooLong = "./" + longest;  // 261 characters, names the same file
    SoundBuffer other;
    EXPECT_FALSE(system.CreateSound(tooLong.c_str(), other));
    EXPECT_EQ(other.GetSize(), -1);
    EXPECT_FALSE(sound.Load(tooLong.c_str()));
    EXPECT_FALSE(sound.Load(std::string(5000, 'x').c_str()));
    EXPECT_FALSE(sound.Load(nullptr));

    // The kept name is still the one that fit: a lost voice is refilled from it.
    fake::audio().voices.at(0)->lost = true;
    EXPECT_TRUE(sound.Play(false));
    EXPECT_EQ(VoiceBytes(), samples);
}

TEST_F(SoundTest, LostVoiceIsRestoredAndRefilledBeforeItPlays) {
    StartSystem();
    SoundBuffer sound;
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));
    fake::audio().calls.clear();

    fake::FakeVoice& voice = *fake::audio().voices.at(0);
    voice.lost = true;
    EXPECT_TRUE(sound.Play(false));
    EXPECT_EQ((fake::AudioCallNames()), (std::vector<std::string>{"GetVoiceStatus", "RestoreVoice", "LockVoice",
                                                                   "UnlockVoice", "PlayVoice"}));
    EXPECT_EQ(VoiceBytes(), samples) << "refilled from the kept file name";
    EXPECT_TRUE(voice.playing);

    // A voice that is not lost is played straight away.
    fake::audio().calls.clear();
    EXPECT_TRUE(sound.Play(false));
    EXPECT_EQ((fake::AudioCallNames()), (std::vector<std::string>{"GetVoiceStatus", "PlayVoice"}));
}

TEST_F(SoundTest, FailedRestoreMakesTheShotSilentAndTheGameGoesOn) {
    StartSystem();
    SoundBuffer sound;
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));
    fake::FakeVoice& voice = *fake::audio().voices.at(0);

    voice.lost = true;
    fake::FailAudio(fake::AudioFail::Restore);
    EXPECT_FALSE(sound.Play(false));
    EXPECT_FALSE(voice.playing);
    EXPECT_TRUE(fake::AudioCallsNamed("PlayVoice").empty());

    // Restored, but the file is gone meanwhile: still silent.
    fake::FailAudio(fake::AudioFail::Restore, false);
    std::remove(rifle.c_str());
    EXPECT_FALSE(sound.Play(false));
    EXPECT_TRUE(fake::AudioCallsNamed("PlayVoice").empty());

    // The file is back and the voice lost again: the next shot is heard.
    WriteFile(rifle, Wave(1, 22050, 16, samples));
    voice.lost = true;
    EXPECT_TRUE(sound.Play(false));
    EXPECT_TRUE(voice.playing);

    // A status that cannot be read also keeps the shot silent.
    fake::FailAudio(fake::AudioFail::Status);
    EXPECT_FALSE(sound.Play(false));
    EXPECT_FALSE(sound.IsPlaying());
}

TEST_F(SoundTest, ReleaseEmptiesSoundsAndClosesTheDevice) {
    StartSystem();
    SoundBuffer sound;
    ASSERT_TRUE(system.CreateSound(rifle.c_str(), sound));
    fake::audio().calls.clear();
    sound.Release();
    sound.Release();
    EXPECT_EQ(fake::AudioCallsNamed("ReleaseVoice").size(), 1u);
    EXPECT_EQ(sound.GetSize(), -1);
    EXPECT_FALSE(sound.Play(false));

    system.Release();
    system.Release();  // twice: the teardown may run after a failed start
    EXPECT_EQ((fake::AudioCallNames()),
              (std::vector<std::string>{"ReleaseVoice", "ReleaseAudioOutput", "CloseAudioDevice"}));
    EXPECT_FALSE(system.CreateSound(rifle.c_str(), sound));
    EXPECT_FALSE(system.Initialize(kWindow));
}
