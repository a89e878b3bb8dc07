// rifle.wav: a plain PCM file the game's reader takes, shaped like a shot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "generated_data.h"
#include "sound/wave.h"

namespace {

using generated::Le16;
using generated::Le32;

std::vector<double> Samples() {
    std::vector<std::uint8_t> file = generated::ReadBytes(generated::DataPath("rifle.wav"));
    std::vector<double> out;
    for (std::size_t at = 44; at + 1 < file.size(); at += 2)
        out.push_back(static_cast<std::int16_t>(Le16(file, at)) / 32768.0);
    return out;
}

double Energy(const std::vector<double>& s, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to && i < s.size(); ++i) sum += s[i] * s[i];
    return sum;
}

TEST(RifleWav, IsMono16BitPcmAt44100) {
    std::vector<std::uint8_t> file = generated::ReadBytes(generated::DataPath("rifle.wav"));
    ASSERT_GE(file.size(), 44u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(file, 4), file.size() - 8);
    EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le32(file, 16), 16u);
    EXPECT_EQ(Le16(file, 20), 1u);  // PCM
    EXPECT_EQ(Le16(file, 22), 1u);  // mono
    EXPECT_EQ(Le32(file, 24), 44100u);
    EXPECT_EQ(Le32(file, 28), 88200u);
    EXPECT_EQ(Le16(file, 32), 2u);
    EXPECT_EQ(Le16(file, 34), 16u);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
    EXPECT_EQ(Le32(file, 40), file.size() - 44);
    double seconds = (file.size() - 44) / 88200.0;
    EXPECT_GE(seconds, 0.4);
    EXPECT_LE(seconds, 0.6);

    // The game's reader agrees, and hands out exactly the samples.
    WaveFile wave;
    ASSERT_TRUE(wave.Open(generated::DataPath("rifle.wav").c_str()));
    WAVEFORMATEX format{};
    ASSERT_TRUE(wave.GetFormat(&format));
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.nChannels, 1);
    EXPECT_EQ(format.nSamplesPerSec, 44100u);
    EXPECT_EQ(format.wBitsPerSample, 16);
    EXPECT_EQ(format.nBlockAlign, 2);
    ASSERT_EQ(wave.GetDataSize(), file.size() - 44);
    EXPECT_TRUE(wave.DataFitsInFile());
    std::vector<std::uint8_t> data(wave.GetDataSize());
    ASSERT_TRUE(wave.Read(data.data(), wave.GetDataSize()));
    EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + 44));
}

TEST(RifleWav, SoundsLikeAShot) {
    std::vector<double> s = Samples();
    ASSERT_GT(s.size(), 17640u);
    const std::size_t tenth = 4410, ms = 44;
    double peak = 0;
    std::size_t peakAt = 0;
    for (std::size_t i = 0; i < s.size(); ++i)
        if (std::fabs(s[i]) > peak) peak = std::fabs(s[i]), peakAt = i;
    // Loud but not clipped.
    EXPECT_GT(peak, 0.8);
    EXPECT_LT(peak, 0.99);
    // A sharp crack: the loudest moment within the first 20 ms.
    EXPECT_LT(peakAt, 20 * ms);
    // Most of the energy in the first tenth of a second, but a tail after it.
    double total = Energy(s, 0, s.size());
    EXPECT_GT(Energy(s, 0, tenth), 0.7 * total);
    EXPECT_GT(Energy(s, tenth, 2 * tenth), 0.002 * total);
    // A low body: smoothed over 1 ms (keeping what is below about 1 kHz) the
    // first tenth still carries a good share of its energy.
    std::vector<double> low(s.size(), 0.0);
    for (std::size_t i = ms; i < s.size(); ++i) {
        double sum = 0;
        for (std::size_t k = 0; k < ms; ++k) sum += s[i - k];
        low[i] = sum / ms;
    }
    EXPECT_GT(Energy(low, 0, tenth), 0.2 * Energy(s, 0, tenth));
    // Quiet at the end and no click: the last 20 ms are near silence and
    // the very last samples are zero or next to it.
    double tailRms = std::sqrt(Energy(s, s.size() - 20 * ms, s.size()) / (20 * ms));
    EXPECT_LT(tailRms, 0.005);
    EXPECT_LT(std::fabs(s.back()), 2.0 / 32768);
    double biggestStep = 0;
    for (std::size_t i = s.size() - 5 * ms; i < s.size(); ++i) biggestStep = std::max(biggestStep, std::fabs(s[i] - s[i - 1]));
    EXPECT_LT(biggestStep, 0.002);
}

}  // namespace
