#include "sound/wave.h"

#include <cstring>

#include "platform/data_file.h"

namespace {

constexpr std::uint32_t FourCC(const char (&id)[5]) {
    return std::uint32_t(std::uint8_t(id[0])) | std::uint32_t(std::uint8_t(id[1])) << 8 |
           std::uint32_t(std::uint8_t(id[2])) << 16 | std::uint32_t(std::uint8_t(id[3])) << 24;
}

constexpr std::uint32_t kRiff = FourCC("RIFF");
constexpr std::uint32_t kWave = FourCC("WAVE");
constexpr std::uint32_t kFmt = FourCC("fmt ");
constexpr std::uint32_t kData = FourCC("data");
constexpr std::uint32_t kFormatBytes = sizeof(WAVEFORMATEX);
constexpr std::uint32_t kPlainFormatBytes = 16;  // a PCM record without its extra-size field
constexpr std::uint64_t kLargestOffset = 0xFFFFFFFFu;
// Sound files hold a handful of chunks. A file of tens of thousands of empty
// ones is made to stall whoever walks it (every shot sound opens the file
// twice), so a search gives up after this many.
constexpr int kMaxChunksSearched = 1024;

std::uint32_t LittleEndian32(const unsigned char* bytes) {
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

// Reads a chunk header (identifier and size) at the current position.
bool ReadChunkHeader(std::FILE* file, std::uint32_t* id, std::uint32_t* size) {
    unsigned char header[8];
    if (std::fread(header, 1, sizeof header, file) != sizeof header) return false;
    *id = LittleEndian32(header);
    *size = LittleEndian32(header + 4);
    return true;
}

// The first chunk of the file, with its form type; leaves the position
// after the form type, at the first sub-chunk.
bool DescendIntoFirstChunk(std::FILE* file, MMCKINFO* chunk) {
    if (!SeekDataStream(file, 0)) return false;
    if (!ReadChunkHeader(file, &chunk->ckid, &chunk->cksize)) return false;
    chunk->dwDataOffset = 8;
    unsigned char formType[4];
    if (std::fread(formType, 1, sizeof formType, file) != sizeof formType) return false;
    chunk->fccType = LittleEndian32(formType);
    return true;
}

// Searches from the current position to the end of `parent` for a sub-chunk
// named `id`, stepping over the others (and the pad byte after an odd size).
// On success the position is the first byte of the found chunk's data.
bool FindSubChunk(std::FILE* file, const MMCKINFO& parent, std::uint32_t id, MMCKINFO* found) {
    const std::uint64_t parentEnd = std::uint64_t(parent.dwDataOffset) + parent.cksize;
    std::uint64_t position = 0;
    if (!TellDataStream(file, &position)) return false;
    std::uint64_t at = position;
    for (int searched = 0; searched < kMaxChunksSearched; ++searched) {
        const std::uint64_t dataStart = position + 8;
        if (dataStart > parentEnd || dataStart > kLargestOffset) return false;
        // An empty chunk is followed by the next header right here.
        if (position != at && !SeekDataStream(file, position)) return false;
        std::uint32_t chunkId = 0, chunkSize = 0;
        if (!ReadChunkHeader(file, &chunkId, &chunkSize)) return false;
        at = dataStart;
        if (chunkId == id) {
            *found = MMCKINFO{chunkId, chunkSize, 0, std::uint32_t(dataStart), 0};
            return true;
        }
        position = dataStart + chunkSize + (chunkSize & 1u);
    }
    return false;
}

}  // namespace

WaveFile::WaveFile() : handle(nullptr), format{}, dataChunk{}, riffChunk{}, isOpen(false), fileSize(0) {}

WaveFile::~WaveFile() { Close(); }

bool WaveFile::Open(const char* fileName) {
    if (!Close()) return false;
    if (fileName == nullptr) return false;
    std::uint64_t end = 0;
    std::FILE* file = OpenDataStream(fileName, &end);
    if (file == nullptr) return false;

    auto fail = [file] {
        std::fclose(file);
        return false;
    };

    riffChunk = MMCKINFO{};
    if (!DescendIntoFirstChunk(file, &riffChunk)) return fail();
    if (riffChunk.ckid != kRiff || riffChunk.fccType != kWave) return fail();

    MMCKINFO formatChunk{};
    if (!FindSubChunk(file, riffChunk, kFmt, &formatChunk)) return fail();
    if (formatChunk.cksize < kPlainFormatBytes) return fail();
    // One read of the whole record: for a 16-byte chunk the extra-size field
    // gets whatever follows, which nothing reads for PCM.
    std::memset(&format, 0, sizeof format);
    const std::size_t got = std::fread(&format, 1, kFormatBytes, file);
    if (got < kPlainFormatBytes || std::ferror(file)) return fail();

    // The data chunk may come before the format chunk: search again from the
    // first sub-chunk, right after the form type.
    if (!SeekDataStream(file, std::uint64_t(riffChunk.dwDataOffset) + 4)) return fail();
    MMCKINFO found{};
    if (!FindSubChunk(file, riffChunk, kData, &found)) return fail();

    dataChunk = found;
    fileSize = end;
    handle = file;
    isOpen = true;
    return true;
}

bool WaveFile::Close() {
    if (isOpen) {
        // fclose lets go of the stream even when it reports an error, so
        // there is nothing left open to retry on.
        std::fclose(handle);
        handle = nullptr;
        isOpen = false;
    }
    return true;
}

bool WaveFile::Read(void* destination, std::uint32_t byteCount) {
    if (!isOpen) return false;
    if (byteCount == 0) return true;
    if (destination == nullptr) return false;
    return std::fread(destination, 1, byteCount, handle) == byteCount;
}

bool WaveFile::GetFormat(WAVEFORMATEX* out) const {
    if (!isOpen || out == nullptr) return false;
    std::memcpy(out, &format, sizeof format);
    return true;
}

std::uint32_t WaveFile::GetDataSize() const { return isOpen ? dataChunk.cksize : 0; }
std::uint16_t WaveFile::GetFormatTag() const { return isOpen ? format.wFormatTag : 0; }
std::uint16_t WaveFile::GetChannels() const { return isOpen ? format.nChannels : 0; }
std::uint32_t WaveFile::GetSampleRate() const { return isOpen ? format.nSamplesPerSec : 0; }
std::uint32_t WaveFile::GetAvgBytesPerSec() const { return isOpen ? format.nAvgBytesPerSec : 0; }
std::uint16_t WaveFile::GetBlockAlign() const { return isOpen ? format.nBlockAlign : 0; }
std::uint16_t WaveFile::GetBitsPerSample() const { return isOpen ? format.wBitsPerSample : 0; }

bool WaveFile::DataFitsInFile() const {
    return isOpen && std::uint64_t(dataChunk.dwDataOffset) + dataChunk.cksize <= fileSize;
}
