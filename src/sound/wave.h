// The Wave unit: a reader for RIFF WAVE sound files. It finds the format
// record and the sample data and hands the samples out in one read.
#pragma once

#include <cstdint>
#include <cstdio>

#pragma pack(push, 1)
// The sound format record as it lies in a "fmt " chunk: 18 bytes, no padding.
struct WAVEFORMATEX {
    std::uint16_t wFormatTag;
    std::uint16_t nChannels;
    std::uint32_t nSamplesPerSec;
    std::uint32_t nAvgBytesPerSec;
    std::uint16_t nBlockAlign;
    std::uint16_t wBitsPerSample;
    std::uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "the format record is 18 packed bytes");

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// Where a chunk was found: its identifier, size, form type (RIFF only),
// the file offset of its data, and flags (unused, kept for the record's shape).
struct MMCKINFO {
    std::uint32_t ckid;
    std::uint32_t cksize;
    std::uint32_t fccType;
    std::uint32_t dwDataOffset;
    std::uint32_t dwFlags;
};

class WaveFile {
public:
    WaveFile();
    ~WaveFile();
    WaveFile(const WaveFile&) = delete;
    WaveFile& operator=(const WaveFile&) = delete;

    // Opens the file and leaves it positioned at the first byte of sample data.
    bool Open(const char* fileName);
    // True when no file is open afterwards.
    bool Close();
    // Exactly byteCount bytes from the current position, or false.
    bool Read(void* destination, std::uint32_t byteCount);

    bool GetFormat(WAVEFORMATEX* out) const;
    std::uint32_t GetDataSize() const;
    std::uint16_t GetFormatTag() const;
    std::uint16_t GetChannels() const;
    std::uint32_t GetSampleRate() const;
    std::uint32_t GetAvgBytesPerSec() const;
    std::uint16_t GetBlockAlign() const;
    std::uint16_t GetBitsPerSample() const;
    WAVEFORMATEX Format() const { return format; }
    std::FILE* Handle() const { return handle; }

    // True when the whole "data" chunk lies inside the file; a truncated file
    // would otherwise make a voice larger than the samples that exist.
    bool DataFitsInFile() const;

private:
    std::FILE* handle;
    WAVEFORMATEX format;
    MMCKINFO dataChunk;
    MMCKINFO riffChunk;
    bool isOpen;
    std::uint64_t fileSize;  // bytes in the file, learnt at Open
};
