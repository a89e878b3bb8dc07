// Builds RIFF files byte by byte, right or wrong on purpose, and writes them
// to a scratch folder for the reader and the sound tests.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace wavfiles {

inline std::string Le16(std::uint16_t v) { return {char(v & 0xFF), char(v >> 8)}; }
inline std::string Le32(std::uint32_t v) {
    return {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

// A chunk: identifier, declared size, the bytes, and the pad byte after an odd size.
inline std::string Chunk(const std::string& id, const std::string& bytes) {
    std::string chunk = id + Le32(std::uint32_t(bytes.size())) + bytes;
    if (bytes.size() % 2) chunk += '\0';
    return chunk;
}
inline std::string ChunkDeclaring(const std::string& id, std::uint32_t declared, const std::string& bytes) {
    return id + Le32(declared) + bytes;
}

// The 16 bytes of a plain format record.
inline std::string Format(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, std::uint16_t tag = 1) {
    const std::uint16_t block = std::uint16_t(channels * bits / 8);
    return Le16(tag) + Le16(channels) + Le32(rate) + Le32(rate * block) + Le16(block) + Le16(bits);
}

inline std::string Riff(const std::string& body, const std::string& form = "WAVE") {
    return "RIFF" + Le32(std::uint32_t(body.size() + 4)) + form + body;
}

// A plain PCM file: "fmt " then "data".
inline std::string Wave(std::uint16_t channels, std::uint32_t rate, std::uint16_t bits, const std::string& samples) {
    return Riff(Chunk("fmt ", Format(channels, rate, bits)) + Chunk("data", samples));
}

// `count` bytes that differ from their neighbours, so misplaced reads show.
inline std::string Ramp(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) bytes[i] = char(i * 7 + 3);
    return bytes;
}

// A scratch folder of its own for each test.
inline std::string ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string dir = ::testing::TempDir() + "veldrake_" + std::to_string(getpid()) + "_" + info->name() + "/";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    EXPECT_FALSE(error) << dir << ": " << error.message();
    return dir;
}

inline std::string WriteFile(const std::string& path, const std::string& contents) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr) << path;
    if (file) {
        std::fwrite(contents.data(), 1, contents.size(), file);
        std::fclose(file);
    }
    return path;
}

// Descriptors this process holds open, to see that nothing is left open.
inline int OpenDescriptors() {
    int count = 0;
#ifdef _WIN32
    // The C runtime's own descriptor table (under Wine /proc/self/fd would
    // list the Wine process's descriptors, which come and go on their own).
    for (int fd = 0; fd < 2048; ++fd) {
        struct stat info;
        if (fstat(fd, &info) == 0) ++count;
    }
#else
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir) != nullptr) ++count;
        closedir(dir);
    }
#endif
    return count;
}

}  // namespace wavfiles
