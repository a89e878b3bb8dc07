// The sound unit over the real OpenAL Soft, heard through its wave-file
// driver. Each case runs this program again as a child with the driver
// configured (the device opens during static start-up), then measures what
// the child played.
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <thread>

#include <gtest/gtest.h>

#include "sound/audio_capture.h"
#include "sound/sound.h"
#include "sound/wav_files.h"

using namespace wavfiles;

namespace {

using Clock = std::chrono::steady_clock;

int windowToken;
plat::Handle const kWindow = &windowToken;

const char* kChildDir = "VELDRAKE_SOUND_CHILD_DIR";

// 16-bit mono samples: `seconds` of a sine at `hz`, or of a constant level when hz is 0.
std::string Samples16(std::uint32_t rate, double seconds, double hz, int amplitude) {
    std::string bytes;
    const int count = int(rate * seconds);
    for (int i = 0; i < count; ++i) {
        const int value = hz > 0 ? int(std::lround(amplitude * std::sin(2 * M_PI * hz * i / rate))) : amplitude;
        bytes += Le16(std::uint16_t(std::int16_t(value)));
    }
    return bytes;
}

// In the child: the folder the parent chose, or empty when this is the parent.
std::string ChildDir() {
    const char* dir = std::getenv(kChildDir);
    return dir ? dir : "";
}

void SleepUntil(Clock::time_point start, double seconds) {
    std::this_thread::sleep_until(start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)));
}

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

void ReleaseEverything() {
    for (auto& sound : shotSounds) sound.Release();
    EXPECT_TRUE(soundSystem.Release());
}

// Runs the child case `name` with OpenAL writing into dir/capture.wav and reads the recording.
void RunChild(const std::string& name, const std::string& dir, capture::Recording* recording) {
    const std::string config = dir + "alsoft.conf";
    ASSERT_TRUE(capture::WriteConfig(config, dir + "capture.wav"));
    auto environment = capture::CaptureEnvironment(config);
    environment.push_back(std::string(kChildDir) + "=" + dir);
    ASSERT_EQ(capture::RunCaptured("SoundChild." + name, environment), 0) << "the child's checks failed";
    ASSERT_TRUE(capture::ReadRecording(dir + "capture.wav", recording));
    ASSERT_EQ(recording->rate, 44100u);
}

constexpr double kQuiet = 0.002;  // below this the output counts as silence (dither is far smaller)

}  // namespace

// ---- children: run only inside the re-executed program -------------------

TEST(SoundChild, OneShot) {
    const std::string dir = ChildDir();
    if (dir.empty()) GTEST_SKIP() << "runs as a child of SoundCapture";
    // 0.4 s of 1000 Hz recorded at 22050 Hz: played at 44100 it lasts 0.2 s at 2000 Hz.
    WriteFile(dir + "tone.wav", Wave(1, 22050, 16, Samples16(22050, 0.4, 1000, 12000)));
    WriteFile(dir + "24bit.wav", Wave(1, 22050, 24, std::string(3 * 2205, '\x10')));
    WriteFile(dir + "stereo8.wav", Wave(2, 11025, 8, std::string(2 * 1102, '\x80')));

    ASSERT_TRUE(soundSystem.Initialize(kWindow));
    const Clock::time_point start = Clock::now();
    ASSERT_TRUE(soundSystem.CreateSound((dir + "tone.wav").c_str(), shotSounds[0]));
    ASSERT_TRUE(shotSounds[0].SetFrequency(44100));
    EXPECT_EQ(shotSounds[0].GetSize(), 2 * 8820);

    SoundBuffer deep, stereo8;
    EXPECT_FALSE(soundSystem.CreateSound((dir + "24bit.wav").c_str(), deep)) << "OpenAL takes no 24-bit samples";
    EXPECT_EQ(deep.GetSize(), -1);
    EXPECT_FALSE(deep.Play(false));
    EXPECT_TRUE(soundSystem.CreateSound((dir + "stereo8.wav").c_str(), stereo8));
    EXPECT_TRUE(stereo8.SetVolume(0.5f));
    float volume = 0;
    EXPECT_TRUE(stereo8.GetVolume(&volume));
    EXPECT_FLOAT_EQ(volume, 0.5f);
    EXPECT_TRUE(stereo8.SetPan(-0.25f));
    stereo8.Release();

    SleepUntil(start, 0.5);
    const double playedAt = Since(start);
    EXPECT_FALSE(shotSounds[0].IsPlaying());
    ASSERT_TRUE(shotSounds[0].Play(false));
    EXPECT_TRUE(shotSounds[0].IsPlaying());
    SleepUntil(start, 1.2);
    EXPECT_FALSE(shotSounds[0].IsPlaying()) << "played once, not looping";

    const double loopedAt = Since(start);
    ASSERT_TRUE(shotSounds[0].Play(true));
    SleepUntil(start, 2.0);
    EXPECT_TRUE(shotSounds[0].IsPlaying()) << "four times its length later";
    EXPECT_TRUE(shotSounds[0].Stop());
    EXPECT_FALSE(shotSounds[0].IsPlaying());
    std::ofstream(dir + "times") << playedAt << ' ' << loopedAt << ' ' << Since(start);
    SleepUntil(start, 2.9);
    ReleaseEverything();
}

TEST(SoundChild, FortyFiveShots) {
    const std::string dir = ChildDir();
    if (dir.empty()) GTEST_SKIP() << "runs as a child of SoundCapture";
    // One second of a steady level: overlapping copies add up, a cut-off one would not.
    WriteFile(dir + "level.wav", Wave(1, 44100, 16, Samples16(44100, 1.0, 0, 300)));
    ASSERT_TRUE(soundSystem.Initialize(kWindow));
    const Clock::time_point start = Clock::now();
    for (auto& sound : shotSounds) {
        ASSERT_TRUE(soundSystem.CreateSound((dir + "level.wav").c_str(), sound));
        sound.SetFrequency(44100);
    }
    SleepUntil(start, 0.3);
    ASSERT_TRUE(shotSounds[44].Play(false));  // one alone, to know its level
    SleepUntil(start, 1.8);
    for (int slot = 0; slot < kShotSounds; ++slot) {
        EXPECT_TRUE(shotSounds[slot].Play(false));
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
    int playing = 0;
    for (auto& sound : shotSounds) playing += sound.IsPlaying();
    EXPECT_EQ(playing, kShotSounds);
    SleepUntil(start, 3.3);
    ReleaseEverything();
}

TEST(SoundChild, NoDevice) {
    const std::string dir = ChildDir();
    if (dir.empty()) GTEST_SKIP() << "runs as a child of SoundCapture";
    WriteFile(dir + "tone.wav", Wave(1, 22050, 16, Samples16(22050, 0.1, 1000, 8000)));
    EXPECT_FALSE(soundSystem.Initialize(kWindow));
    EXPECT_FALSE(soundSystem.CreateSound((dir + "tone.wav").c_str(), shotSounds[0]));
    EXPECT_FALSE(shotSounds[0].Play(false));
    EXPECT_TRUE(soundSystem.Release());
}

// ---- the checks, on what the children played -----------------------------

TEST(SoundCapture, ShotIsHeardAfterItsPlayAndNotBefore) {
    const std::string dir = ScratchDir();
    capture::Recording recording;
    ASSERT_NO_FATAL_FAILURE(RunChild("OneShot", dir, &recording));
    double playedAt = -1, loopedAt = -1, stoppedAt = -1;
    std::ifstream(dir + "times") >> playedAt >> loopedAt >> stoppedAt;
    ASSERT_GT(playedAt, 0.4);

    EXPECT_LT(capture::Rms(recording, 0.0, playedAt - 0.02), kQuiet) << "silence before the shot";
    const double onset = capture::Onset(recording, 0.05);
    ASSERT_GT(onset, 0) << "the shot was never heard";
    EXPECT_GE(onset, playedAt - 0.02);
    EXPECT_LE(onset, playedAt + 0.15) << "heard late";
    EXPECT_GT(capture::Rms(recording, onset + 0.02, onset + 0.18), 0.1);
    // Played at 44100 Hz, the 22050 Hz file is an octave up and half as long.
    EXPECT_NEAR(capture::ToneHz(recording, onset + 0.02, onset + 0.18), 2000, 60);
    EXPECT_NEAR(capture::LastSound(recording, 0.05, loopedAt) - onset, 0.2, 0.02);
    EXPECT_LT(capture::Rms(recording, onset + 0.25, loopedAt), kQuiet) << "silence after it";

    // Played looping, it sounds without a gap until stopped, then falls silent.
    const double loop = capture::Onset(recording, 0.05, loopedAt - 0.02);
    ASSERT_GT(loop, 0);
    for (double t = loop; t + 0.05 < stoppedAt - 0.05; t += 0.05)
        EXPECT_GT(capture::Rms(recording, t, t + 0.05), 0.1) << "looping at " << t;
    // The mixer may run a little behind the clock under load, so the end of
    // the recording, well after the stop, is what must be quiet.
    EXPECT_LT(capture::Rms(recording, recording.Seconds() - 0.3, recording.Seconds()), kQuiet)
        << "quiet once stopped";
}

TEST(SoundCapture, FortyFiveShotsOverlap) {
    const std::string dir = ScratchDir();
    capture::Recording recording;
    ASSERT_NO_FATAL_FAILURE(RunChild("FortyFiveShots", dir, &recording));
    const double threshold = 0.001;
    const double alone = capture::Onset(recording, threshold);
    ASSERT_GT(alone, 0);
    const double single = capture::Mean(recording, alone + 0.1, alone + 0.9);
    ASSERT_GT(single, 0.002);
    EXPECT_LT(capture::Rms(recording, alone + 1.05, 1.75), kQuiet) << "the lone shot ended before the volley";

    const double volley = capture::Onset(recording, threshold, 1.75);
    ASSERT_GT(volley, 0);
    // All 45 sound together once the last has started (about 0.2 s in) until
    // the first ends (1 s in): 45 times the level of one.
    const double together = capture::Mean(recording, volley + 0.4, volley + 0.9);
    EXPECT_NEAR(together / single, 45.0, 3.0);
    // While they start one after another the level climbs.
    EXPECT_LT(capture::Mean(recording, volley, volley + 0.05), capture::Mean(recording, volley + 0.1, volley + 0.15));
}

TEST(SoundCapture, WithoutADeviceNothingStarts) {
    const std::string dir = ScratchDir();
    const std::string config = dir + "alsoft.conf";
    ASSERT_TRUE(capture::WriteConfig(config, ""));  // the wave driver has nowhere to write: no device
    auto environment = capture::CaptureEnvironment(config);
    environment.push_back(std::string(kChildDir) + "=" + dir);
    EXPECT_EQ(capture::RunCaptured("SoundChild.NoDevice", environment), 0);
}
