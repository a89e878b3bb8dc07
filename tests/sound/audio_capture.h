// Listening to what OpenAL Soft played: its "wave" driver writes the mixed
// output to a WAV file in real time. These helpers write the configuration
// that names that file, run a program with it, and measure the recording
// (level, onset, pitch) so tests can tell sound from silence.
//
// OpenAL Soft reads its configuration when the device opens, and the game
// opens its device during static start-up, so the settings must be in the
// environment before the program starts: run the program (or this test
// program again, see RunCaptured) as a child with them.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace capture {

// The mixed output, channels averaged, full scale = 1.0.
struct Recording {
    std::uint32_t rate = 0;
    std::uint16_t channels = 0;
    std::vector<float> frames;

    double Seconds() const { return rate ? double(frames.size()) / rate : 0.0; }
};

// A configuration for 16-bit stereo output at 44100 Hz into `captureFile`;
// without a file name the wave driver has no device to offer.
inline bool WriteConfig(const std::string& configPath, const std::string& captureFile) {
    std::FILE* file = std::fopen(configPath.c_str(), "w");
    if (file == nullptr) return false;
    std::fprintf(file, "[general]\nfrequency = 44100\nsample-type = int16\nchannels = stereo\n");
    if (!captureFile.empty()) std::fprintf(file, "[wave]\nfile = %s\n", captureFile.c_str());
    return std::fclose(file) == 0;
}

// Environment settings that send OpenAL Soft's output to the configured file.
inline std::vector<std::string> CaptureEnvironment(const std::string& configPath) {
    return {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + configPath};
}

// Runs `argv` with `environment` added (NAME=value each), in `workingDir`
// when one is given (the game reads its data from there), and waits for it;
// the exit code, or -1 when it did not exit normally.
inline int RunWithEnvironment(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
                              const std::string& workingDir = "") {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(126);
        for (const std::string& setting : environment) {
            const std::size_t equals = setting.find('=');
            setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs this very test program again with only the tests matching `filter`.
inline int RunCaptured(const std::string& filter, const std::vector<std::string>& environment) {
    return RunWithEnvironment({"/proc/self/exe", "--gtest_filter=" + filter}, environment);
}

namespace detail {
inline std::uint32_t U32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
inline std::uint16_t U16(const unsigned char* p) { return std::uint16_t(p[0] | p[1] << 8); }
}  // namespace detail

// Reads a recording of 16-bit PCM, plain or extensible. A data
// size the writer never filled in is taken as "to the end of the file".
inline bool ReadRecording(const std::string& path, Recording* out) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    std::vector<unsigned char> bytes;
    unsigned char block[65536];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) bytes.insert(bytes.end(), block, block + got);
    std::fclose(file);
    if (bytes.size() < 12 || std::string(bytes.begin(), bytes.begin() + 4) != "RIFF") return false;

    std::uint16_t tag = 0, bits = 0;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + at, bytes.begin() + at + 4);
        std::size_t size = detail::U32(&bytes[at + 4]);
        const std::size_t data = at + 8;
        if (id == "fmt " && data + 16 <= bytes.size()) {
            tag = detail::U16(&bytes[data]);
            out->channels = detail::U16(&bytes[data + 2]);
            out->rate = detail::U32(&bytes[data + 4]);
            bits = detail::U16(&bytes[data + 14]);
            if (tag == 0xFFFE && data + 26 <= bytes.size()) tag = detail::U16(&bytes[data + 24]);
        } else if (id == "data") {
            if (size == 0 || data + size > bytes.size()) size = bytes.size() - data;
            if (out->channels == 0) return false;
            const std::size_t sampleBytes = bits / 8u;
            const std::size_t frameBytes = sampleBytes * out->channels;
            if (tag != 1 || bits != 16) return false;
            out->frames.clear();
            for (std::size_t frame = data; frame + frameBytes <= data + size; frame += frameBytes) {
                double sum = 0;
                for (std::size_t c = 0; c < out->channels; ++c) {
                    sum += std::int16_t(detail::U16(&bytes[frame + c * sampleBytes])) / 32768.0;
                }
                out->frames.push_back(float(sum / out->channels));
            }
            return true;
        }
        at = data + size + (size & 1);
    }
    return false;
}

inline std::size_t FrameAt(const Recording& r, double seconds) {
    if (seconds <= 0) return 0;
    const std::size_t frame = std::size_t(seconds * r.rate);
    return frame < r.frames.size() ? frame : r.frames.size();
}

// Root-mean-square level between two times, 0 for an empty span.
inline double Rms(const Recording& r, double from, double to) {
    const std::size_t a = FrameAt(r, from), b = FrameAt(r, to);
    if (b <= a) return 0;
    double sum = 0;
    for (std::size_t i = a; i < b; ++i) sum += double(r.frames[i]) * r.frames[i];
    return std::sqrt(sum / double(b - a));
}

inline double Mean(const Recording& r, double from, double to) {
    const std::size_t a = FrameAt(r, from), b = FrameAt(r, to);
    if (b <= a) return 0;
    double sum = 0;
    for (std::size_t i = a; i < b; ++i) sum += r.frames[i];
    return sum / double(b - a);
}

// Level per window of `window` seconds from the start, for tests that look
// for the moment a sound begins.
inline std::vector<double> WindowRms(const Recording& r, double window) {
    std::vector<double> levels;
    for (double t = 0; t + window <= r.Seconds(); t += window) levels.push_back(Rms(r, t, t + window));
    return levels;
}

// First time after `from` at which the output is louder than `threshold`,
// or a negative number when it never is.
inline double Onset(const Recording& r, double threshold, double from = 0) {
    for (std::size_t i = FrameAt(r, from); i < r.frames.size(); ++i)
        if (std::fabs(r.frames[i]) > threshold) return double(i) / r.rate;
    return -1;
}

// Last time before `before` at which the output is louder than `threshold`, or negative.
inline double LastSound(const Recording& r, double threshold, double before) {
    for (std::size_t i = FrameAt(r, before); i-- > 0;)
        if (std::fabs(r.frames[i]) > threshold) return double(i) / r.rate;
    return -1;
}

// Dominant frequency of a tone between two times, by counting sign changes.
inline double ToneHz(const Recording& r, double from, double to) {
    const std::size_t a = FrameAt(r, from), b = FrameAt(r, to);
    if (b <= a + 1) return 0;
    int crossings = 0;
    for (std::size_t i = a + 1; i < b; ++i)
        if ((r.frames[i - 1] < 0) != (r.frames[i] < 0)) ++crossings;
    return crossings / 2.0 / (double(b - a) / r.rate);
}

}  // namespace capture
