// Hearing what the sound unit played: the audio layer's loopback output mixes
// only when asked, so a test plays something, renders exactly the frames it
// wants and measures them. Frame for frame the same on any machine at any load.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/audio_loopback.h"

namespace capture {

constexpr std::uint32_t kRate = 44100;

inline std::size_t Frames(double seconds) { return std::size_t(std::lround(seconds * kRate)); }

// Everything rendered so far, one value per channel per frame, full scale 1.0.
struct Recording {
    std::vector<float> left, right;

    std::size_t Size() const { return left.size(); }

    // Mixes the next `frames` frames onto the end; false when nothing could be rendered.
    bool Render(std::size_t frames) {
        std::vector<float> mixed(frames * 2);
        if (!plat::RenderAudio(mixed.data(), std::uint32_t(frames))) return false;
        for (std::size_t i = 0; i < frames; ++i) {
            left.push_back(mixed[2 * i]);
            right.push_back(mixed[2 * i + 1]);
        }
        return true;
    }
    bool RenderSeconds(double seconds) { return Render(Frames(seconds)); }

    // Both channels averaged.
    float Mono(std::size_t frame) const { return (left[frame] + right[frame]) / 2; }
    const std::vector<float>& Channel(int channel) const { return channel == 0 ? left : right; }
};

// Largest magnitude in one channel over [from, to).
inline double Peak(const std::vector<float>& channel, std::size_t from, std::size_t to) {
    double peak = 0;
    for (std::size_t i = from; i < to && i < channel.size(); ++i) peak = std::fmax(peak, std::fabs(channel[i]));
    return peak;
}

inline double Rms(const Recording& r, std::size_t from, std::size_t to) {
    if (to > r.Size()) to = r.Size();
    if (to <= from) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += double(r.Mono(i)) * r.Mono(i);
    return std::sqrt(sum / double(to - from));
}

inline double Mean(const Recording& r, std::size_t from, std::size_t to) {
    if (to > r.Size()) to = r.Size();
    if (to <= from) return 0;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += r.Mono(i);
    return sum / double(to - from);
}

// First frame at or after `from` louder than `threshold`, or -1.
inline long Onset(const Recording& r, double threshold, std::size_t from = 0) {
    for (std::size_t i = from; i < r.Size(); ++i)
        if (std::fabs(r.Mono(i)) > threshold) return long(i);
    return -1;
}

// Last frame before `before` louder than `threshold`, or -1.
inline long LastSound(const Recording& r, double threshold, std::size_t before) {
    for (std::size_t i = before < r.Size() ? before : r.Size(); i-- > 0;)
        if (std::fabs(r.Mono(i)) > threshold) return long(i);
    return -1;
}

// Dominant frequency of a tone over [from, to), by counting sign changes.
inline double ToneHz(const Recording& r, std::size_t from, std::size_t to) {
    if (to > r.Size()) to = r.Size();
    if (to <= from + 1) return 0;
    int crossings = 0;
    for (std::size_t i = from + 1; i < to; ++i)
        if ((r.Mono(i - 1) < 0) != (r.Mono(i) < 0)) ++crossings;
    return crossings / 2.0 / (double(to - from) / kRate);
}

// Runs this test program again with only the tests matching `filter`, with
// `environment` (NAME=value each) added, and waits for it: the exit code, or
// -1 when it did not exit normally. For settings the audio library reads
// once, before the program's first sound.
inline int RunCaptured(const std::string& filter, const std::vector<std::string>& environment) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        for (const std::string& setting : environment) {
            const std::size_t equals = setting.find('=');
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
        const std::string filterArg = "--gtest_filter=" + filter;
        execl("/proc/self/exe", "/proc/self/exe", filterArg.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace capture
