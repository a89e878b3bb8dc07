#include "rifle_sound.h"

#include <algorithm>
#include <cmath>

#include "noise.h"

namespace datagen {
namespace {

constexpr double kDuration = 0.5;
constexpr double kPeak = 0.92;        // of full scale
constexpr double kFadeSeconds = 0.08;

// One-pole low-pass: `smoothing` near 1 keeps only the lowest frequencies.
class LowPass {
public:
    explicit LowPass(double smoothing) : k_(smoothing) {}
    double operator()(double x) { return state_ = state_ * k_ + x * (1.0 - k_); }

private:
    double k_;
    double state_ = 0;
};

// One-pole high-pass (DC blocker style).
class HighPass {
public:
    explicit HighPass(double pole) : pole_(pole) {}
    double operator()(double x) {
        double y = x - last_ + pole_ * out_;
        last_ = x;
        out_ = y;
        return y;
    }

private:
    double pole_;
    double last_ = 0, out_ = 0;
};

}  // namespace

std::vector<std::int16_t> SynthesiseRifleShot() {
    const int count = static_cast<int>(kDuration * kSampleRate);
    Sequence noise(0x52494646ull);
    LowPass blastTone(0.80), tailTone1(0.93), tailTone2(0.93);
    HighPass crackTone(0.35);
    std::vector<double> dry(count);
    double bodyPhase = 0;
    for (int n = 0; n < count; ++n) {
        double t = static_cast<double>(n) / kSampleRate;
        double white = noise.Signed();
        // The bullet's shock wave: a short N-shaped pressure jump and hiss.
        double nWave = t < 0.0009 ? (1.0 - 2.0 * t / 0.0009) * std::min(1.0, t / 0.00005) : 0.0;
        double crack = 0.9 * nWave + 0.8 * crackTone(white) * std::exp(-t / 0.004);
        // Muzzle blast: a low thump that drops in pitch, and a roar of noise.
        double freq = 55.0 + 120.0 * std::exp(-t / 0.025);
        bodyPhase += 2.0 * 3.14159265358979 * freq / kSampleRate;
        double attack = 1.0 - std::exp(-t / 0.0012);
        double body = 0.9 * std::sin(bodyPhase) * attack * std::exp(-t / 0.075);
        double blast = 1.1 * blastTone(white) * attack * std::exp(-t / 0.03);
        // Dark rumble that lingers.
        double tail = 0.55 * tailTone2(tailTone1(white)) * (1.0 - std::exp(-t / 0.01)) * std::exp(-t / 0.14);
        dry[n] = crack + body + blast + tail;
    }
    // Early reflections from the room's walls: the later, the quieter and
    // the duller, so that none of them comes back as a second crack.
    std::vector<double> wet(dry);
    const struct { double delay, gain, dullness; } echoes[] = {
        {0.019, 0.35, 0.55}, {0.043, 0.25, 0.7}, {0.071, 0.16, 0.82}, {0.113, 0.1, 0.9}};
    for (const auto& echo : echoes) {
        int offset = static_cast<int>(echo.delay * kSampleRate);
        LowPass dull(echo.dullness);
        for (int n = offset; n < count; ++n) wet[n] += echo.gain * dull(dry[n - offset]);
    }
    HighPass dcBlock(0.997);
    double peak = 0;
    for (double& x : wet) {
        x = std::tanh(1.4 * dcBlock(x));
        peak = std::max(peak, std::fabs(x));
    }
    const int fade = static_cast<int>(kFadeSeconds * kSampleRate);
    std::vector<std::int16_t> samples(count);
    for (int n = 0; n < count; ++n) {
        double gain = kPeak / peak;
        int fromEnd = count - 1 - n;
        if (fromEnd < fade) gain *= 0.5 - 0.5 * std::cos(3.14159265358979 * fromEnd / fade);
        samples[n] = static_cast<std::int16_t>(std::lround(wet[n] * gain * 32767.0));
    }
    return samples;
}

Bytes EncodeWav(const std::vector<std::int16_t>& samples, int sampleRate) {
    auto put16 = [](Bytes& out, std::uint32_t v) {
        out.push_back(static_cast<std::uint8_t>(v));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto put32 = [&](Bytes& out, std::uint32_t v) {
        put16(out, v & 0xFFFF);
        put16(out, v >> 16);
    };
    auto tag = [](Bytes& out, const char* four) { out.insert(out.end(), four, four + 4); };
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    const std::uint32_t rate = static_cast<std::uint32_t>(sampleRate);
    Bytes out;
    tag(out, "RIFF");
    put32(out, 4 + 8 + 16 + 8 + dataBytes);
    tag(out, "WAVE");
    tag(out, "fmt ");
    put32(out, 16);
    put16(out, 1);  // PCM
    put16(out, 1);  // mono
    put32(out, rate);
    put32(out, rate * 2);
    put16(out, 2);
    put16(out, 16);
    tag(out, "data");
    put32(out, dataBytes);
    for (std::int16_t s : samples) put16(out, static_cast<std::uint16_t>(s));
    return out;
}

}  // namespace datagen
