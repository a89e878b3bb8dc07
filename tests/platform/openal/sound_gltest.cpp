// The sound unit over the real OpenAL Soft, heard through its loopback
// output: each case plays, renders the exact frames it wants to hear and
// measures them, so onset, length, pitch, level and overlap are checked to
// the frame whatever else the machine is doing.
#include <cmath>
#include <cstdlib>

#include <gtest/gtest.h>

#include "platform/openal/audio_capture.h"
#include "sound/sound.h"
#include "sound/wav_files.h"

using namespace wavfiles;
using capture::Frames;
using capture::Recording;

namespace {

int windowToken;
plat::Handle const kWindow = &windowToken;

const char* kChildDir = "VELDRAKE_SOUND_CHILD_DIR";

// 16-bit samples: `seconds` of a sine at `hz`, or of a constant level when hz
// is 0; with a second tone, stereo with that one on the right.
std::string Samples16(std::uint32_t rate, double seconds, double hz, int amplitude, double rightHz = -1,
                      int rightAmplitude = 0) {
    std::string bytes;
    const int count = int(rate * seconds);
    auto value = [&](double f, int a, int i) {
        return f > 0 ? int(std::lround(a * std::sin(2 * M_PI * f * i / rate))) : a;
    };
    for (int i = 0; i < count; ++i) {
        bytes += Le16(std::uint16_t(std::int16_t(value(hz, amplitude, i))));
        if (rightHz >= 0) bytes += Le16(std::uint16_t(std::int16_t(value(rightHz, rightAmplitude, i))));
    }
    return bytes;
}

// A sound system on the loopback output, as the game starts its own.
class RenderedSound : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(plat::UseLoopbackAudio()) << "OpenAL Soft offers no loopback device";
        system_ = new SoundSystem;
        ASSERT_TRUE(system_->Initialize(kWindow));
        dir_ = ScratchDir();
    }
    void TearDown() override {
        for (SoundBuffer& sound : sounds_) sound.Release();
        if (system_ == nullptr) return;
        system_->Release();
        delete system_;
    }
    // A sound made from `file` (in the scratch folder unless absolute), at 44100 Hz.
    SoundBuffer& Make(int slot, const std::string& file) {
        const std::string path = file[0] == '/' ? file : dir_ + file;
        EXPECT_TRUE(system_->CreateSound(path.c_str(), sounds_[slot])) << path;
        EXPECT_TRUE(sounds_[slot].SetFrequency(44100));
        return sounds_[slot];
    }

    SoundSystem* system_ = nullptr;
    SoundBuffer sounds_[kShotSounds];
    std::string dir_;
};

constexpr double kLoud = 0.05;

}  // namespace

TEST_F(RenderedSound, ShotStartsOnItsPlayLastsItsLengthAtItsPitchAndLoopsUntilStopped) {
    // 0.4 s of 1000 Hz recorded at 22050 Hz: played at 44100 it lasts 0.2 s at 2000 Hz.
    WriteFile(dir_ + "tone.wav", Wave(1, 22050, 16, Samples16(22050, 0.4, 1000, 12000)));
    WriteFile(dir_ + "24bit.wav", Wave(1, 22050, 24, std::string(3 * 2205, '\x10')));
    SoundBuffer& shot = Make(0, "tone.wav");
    EXPECT_EQ(shot.GetSize(), 2 * 8820);
    SoundBuffer& deep = sounds_[1];
    EXPECT_FALSE(system_->CreateSound((dir_ + "24bit.wav").c_str(), deep)) << "OpenAL takes no 24-bit samples";
    EXPECT_EQ(deep.GetSize(), -1);
    EXPECT_FALSE(deep.Play(false));
    // The voice budget counts OpenAL's 16-bit stereo copy beside ours: 20 MB of
    // 16-bit mono costs 60 MB and fits, 30 MB costs 90 MB and gets no voice.
    WriteFile(dir_ + "20mb.wav", Wave(1, 22050, 16, std::string(20000000, '\0')));
    WriteFile(dir_ + "30mb.wav", Wave(1, 22050, 16, std::string(30000000, '\0')));
    EXPECT_TRUE(system_->CreateSound((dir_ + "20mb.wav").c_str(), sounds_[2]));
    sounds_[2].Release();
    EXPECT_FALSE(system_->CreateSound((dir_ + "30mb.wav").c_str(), sounds_[2])) << "beyond the voice budget";

    Recording heard;
    ASSERT_TRUE(heard.RenderSeconds(0.5));
    EXPECT_EQ(capture::Peak(heard.left, 0, heard.Size()) + capture::Peak(heard.right, 0, heard.Size()), 0.0)
        << "silence before the shot";

    const std::size_t playedAt = heard.Size();
    EXPECT_FALSE(shot.IsPlaying());
    ASSERT_TRUE(shot.Play(false));
    EXPECT_TRUE(shot.IsPlaying());
    ASSERT_TRUE(heard.RenderSeconds(0.7));
    EXPECT_FALSE(shot.IsPlaying()) << "played once, not looping";
    const long onset = capture::Onset(heard, kLoud, playedAt);
    ASSERT_GE(onset, 0) << "the shot was never heard";
    EXPECT_LE(std::size_t(onset), playedAt + 3) << "heard late";
    // Played at 44100 Hz, the 22050 Hz file is an octave up and half as long.
    EXPECT_NEAR(capture::ToneHz(heard, onset + 400, onset + 8400), 2000, 5);
    EXPECT_NEAR(double(capture::LastSound(heard, kLoud, heard.Size()) - onset), Frames(0.2), 8);
    EXPECT_EQ(capture::Rms(heard, playedAt + Frames(0.2) + 4, heard.Size()), 0.0) << "silence after it";

    // Played looping, it sounds without a gap until stopped, then falls silent.
    const std::size_t loopedAt = heard.Size();
    ASSERT_TRUE(shot.Play(true));
    ASSERT_TRUE(heard.RenderSeconds(0.8));
    EXPECT_TRUE(shot.IsPlaying()) << "four times its length later";
    for (std::size_t at = loopedAt; at + Frames(0.01) <= heard.Size(); at += Frames(0.01))
        ASSERT_GT(capture::Rms(heard, at, at + Frames(0.01)), 0.2) << "looping, " << at - loopedAt << " frames in";
    EXPECT_TRUE(shot.Stop());
    EXPECT_FALSE(shot.IsPlaying());
    const std::size_t stoppedAt = heard.Size();
    ASSERT_TRUE(heard.RenderSeconds(0.3));
    EXPECT_EQ(capture::Rms(heard, stoppedAt, heard.Size()), 0.0) << "quiet once stopped";
}

TEST_F(RenderedSound, FortyFiveShotsSoundTogether) {
    // One second of a steady level: overlapping copies add up, a cut-off one would not.
    WriteFile(dir_ + "level.wav", Wave(1, 44100, 16, Samples16(44100, 1.0, 0, 300)));
    for (int slot = 0; slot < kShotSounds; ++slot) Make(slot, "level.wav");

    Recording heard;
    ASSERT_TRUE(sounds_[44].Play(false));  // one alone, to know its level
    ASSERT_TRUE(heard.RenderSeconds(1.2));
    const double single = capture::Mean(heard, 0, Frames(1.0));
    EXPECT_NEAR(single, 300 / 32768.0, 1e-6);
    EXPECT_EQ(capture::Rms(heard, Frames(1.0), heard.Size()), 0.0) << "the lone shot ended after its second";

    // One after another, 4 ms apart: the level climbs a step with each.
    const std::size_t volley = heard.Size();
    for (int slot = 0; slot < kShotSounds; ++slot) {
        EXPECT_TRUE(sounds_[slot].Play(false));
        ASSERT_TRUE(heard.RenderSeconds(0.004));
    }
    int playing = 0;
    for (SoundBuffer& sound : sounds_) playing += sound.IsPlaying();
    EXPECT_EQ(playing, kShotSounds);
    ASSERT_TRUE(heard.RenderSeconds(1.2));
    for (int started : {1, 10, 30}) {
        const std::size_t step = volley + (started - 1) * Frames(0.004);
        EXPECT_NEAR(capture::Mean(heard, step + 10, step + Frames(0.004) - 10) / single, started, 0.01);
    }
    EXPECT_NEAR(capture::Mean(heard, volley + Frames(0.4), volley + Frames(0.9)) / single, 45.0, 0.01)
        << "all 45 at once";
    EXPECT_EQ(capture::Rms(heard, volley + Frames(0.004) * 44 + Frames(1.0), heard.Size()), 0.0) << "all ended";
}

// Channel levels against the file's own peak: volume and pan in hundredths
// of a decibel, the far channel lowered by the pan and the near one untouched.
TEST_F(RenderedSound, ChannelLevelsFollowVolumeAndPanInHundredthsOfADecibel) {
    WriteFile(dir_ + "mono.wav", Wave(1, 44100, 16, Samples16(44100, 0.3, 1000, 12000)));
    WriteFile(dir_ + "mono8.wav", Wave(1, 44100, 8, std::string(2000, '\x20') + std::string(2000, '\xE0')));
    WriteFile(dir_ + "stereo.wav", Wave(2, 44100, 16, Samples16(44100, 0.3, 1000, 12000, 500, 6000)));
    constexpr double kSilent = -999;
    const struct Row {
        const char* file;
        float volume, pan;
        double leftDb, rightDb;
    } rows[] = {
        {"mono.wav", 1, 0, 0, 0},
        {VELDRAKE_BINARY_DIR "/data/rifle.wav", 1, 0, 0, 0},
        {"mono8.wav", 1, 0, 0, 0},
        {"mono.wav", 1, -0.25f, 0, -25},
        {"mono.wav", 1, 0.25f, -25, 0},
        {"mono.wav", 0.9f, 0, -10, -10},
        {"mono.wav", 0.9f, -0.1f, -10, -20},
        {"mono.wav", 1, -1, 0, kSilent},
        {"mono.wav", 0, 0, kSilent, kSilent},
        {"stereo.wav", 1, -0.25f, 0, -25},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " volume " + std::to_string(row.volume) + " pan " +
                     std::to_string(row.pan));
        // The file's own peak in each channel, read as the game reads it.
        const std::string path = row.file[0] == '/' ? row.file : dir_ + row.file;
        WaveFile file;
        ASSERT_TRUE(file.Open(path.c_str()));
        std::string data(file.GetDataSize(), '\0');
        ASSERT_TRUE(file.Read(&data[0], std::uint32_t(data.size())));
        const int channels = file.GetChannels(), bits = file.GetBitsPerSample();
        double filePeak[2] = {0, 0};
        for (std::size_t at = 0; at + bits / 8 <= data.size(); at += bits / 8) {
            const std::size_t channel = at / (bits / 8) % channels;
            const auto* byte = reinterpret_cast<const unsigned char*>(&data[at]);
            const double value = bits == 8 ? (byte[0] - 128) / 128.0 : std::int16_t(byte[0] | byte[1] << 8) / 32768.0;
            filePeak[channel] = std::fmax(filePeak[channel], std::fabs(value));
        }
        if (channels == 1) filePeak[1] = filePeak[0];

        SoundBuffer& sound = Make(0, path);
        ASSERT_TRUE(sound.SetVolume(row.volume));
        ASSERT_TRUE(sound.SetPan(row.pan));
        Recording heard;
        ASSERT_TRUE(sound.Play(false));
        ASSERT_TRUE(heard.Render(data.size() / (bits / 8) / channels + 64));
        for (int channel = 0; channel < 2; ++channel) {
            const double peak = capture::Peak(heard.Channel(channel), 0, heard.Size());
            const double expected = channel == 0 ? row.leftDb : row.rightDb;
            if (expected == kSilent) {
                EXPECT_EQ(peak, 0.0) << "channel " << channel;
                continue;
            }
            ASSERT_GT(peak, 0.0) << "channel " << channel;
            const double db = 20 * std::log10(peak / filePeak[channel]);
            if (row.file[0] == '/')
                std::printf("  %s, channel %d: peak %.5f against the file's %.5f, %+.3f dB\n", row.file, channel,
                            peak, filePeak[channel], db);
            EXPECT_NEAR(db, expected, 0.05) << "channel " << channel;
        }
        sound.Release();
    }

    // A pan change while the sound plays lowers the far channel from then on;
    // the near one carries on from the same place, neither restarted nor cut
    // (after OpenAL's fade-in of a voice started part way, one mixing step of
    // at most 2048 frames).
    SoundBuffer& tone = Make(0, "mono.wav");
    Recording heard;
    ASSERT_TRUE(tone.Play(false));
    ASSERT_TRUE(heard.Render(Frames(0.1) + 17));  // not a whole number of periods: a restart would show
    ASSERT_TRUE(tone.SetPan(-0.25f));
    EXPECT_TRUE(tone.IsPlaying());
    ASSERT_TRUE(heard.RenderSeconds(0.25));
    const std::size_t change = Frames(0.1) + 17;
    for (std::size_t at : {change - 50, change + 2048, change + Frames(0.1)})
        EXPECT_NEAR(heard.left[at], 12000 / 32768.0 * std::sin(2 * M_PI * 1000 * double(at) / 44100), 2e-4)
            << "left at frame " << at;
    EXPECT_NEAR(20 * std::log10(capture::Peak(heard.right, change + 2048, change + Frames(0.1)) /
                                capture::Peak(heard.right, 0, change)),
                -25, 0.05);
    EXPECT_EQ(capture::Peak(heard.left, Frames(0.3) + 2, heard.Size()), 0.0) << "it ends where it would have";
}

// ---- without a device: OpenAL reads its choice of drivers once, so this
// runs in a child started with a driver list that offers none ------------

TEST(SoundChild, NoDevice) {
    const char* dir = std::getenv(kChildDir);
    if (dir == nullptr) GTEST_SKIP() << "runs as a child of SoundDevice";
    WriteFile(std::string(dir) + "tone.wav", Wave(1, 22050, 16, Samples16(22050, 0.1, 1000, 8000)));
    EXPECT_FALSE(soundSystem.Initialize(kWindow));
    EXPECT_FALSE(soundSystem.CreateSound((std::string(dir) + "tone.wav").c_str(), shotSounds[0]));
    EXPECT_FALSE(shotSounds[0].Play(false));
    soundSystem.Release();
}

TEST(SoundDevice, WithoutADeviceNothingStarts) {
    const std::string dir = ScratchDir();
    EXPECT_EQ(capture::RunCaptured("SoundChild.NoDevice",
                                   {"ALSOFT_DRIVERS=no-such-backend", std::string(kChildDir) + "=" + dir}),
              0);
}
