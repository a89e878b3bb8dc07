#include "platform/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

#ifdef _WIN32
#include <io.h>
// Windows has no named pipes in the file system and no blocking open of a
// plain path; the C runtime's names differ, its meaning does not.
namespace {
constexpr int kOpenFlags = _O_RDONLY | _O_BINARY | _O_NOINHERIT;
int OpenFile(const char* name) { return _open(name, kOpenFlags); }
bool IsRegularFile(int descriptor, std::uint64_t* size) {
    struct _stati64 info {};
    if (_fstati64(descriptor, &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG || info.st_size < 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}
long long ReadAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset) {
    if (_lseeki64(descriptor, static_cast<long long>(offset), SEEK_SET) < 0) return -1;
    const unsigned chunk = count > (1u << 30) ? (1u << 30) : static_cast<unsigned>(count);
    return _read(descriptor, into, chunk);
}
void CloseFile(int descriptor) { _close(descriptor); }
std::FILE* StreamOf(int descriptor) { return _fdopen(descriptor, "rb"); }
}  // namespace

bool SeekDataStream(std::FILE* stream, std::uint64_t position) {
    return _fseeki64(stream, static_cast<long long>(position), SEEK_SET) == 0;
}

bool TellDataStream(std::FILE* stream, std::uint64_t* position) {
    const long long here = _ftelli64(stream);
    if (here < 0) return false;
    *position = static_cast<std::uint64_t>(here);
    return true;
}
#else
#include <unistd.h>
namespace {
int OpenFile(const char* name) { return open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY); }
bool IsRegularFile(int descriptor, std::uint64_t* size) {
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    return true;
}
long long ReadAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset) {
    return pread(descriptor, into, count, static_cast<off_t>(offset));
}
void CloseFile(int descriptor) { close(descriptor); }
std::FILE* StreamOf(int descriptor) { return fdopen(descriptor, "rb"); }
}  // namespace

bool SeekDataStream(std::FILE* stream, std::uint64_t position) {
    return fseeko(stream, static_cast<off_t>(position), SEEK_SET) == 0;
}

bool TellDataStream(std::FILE* stream, std::uint64_t* position) {
    const off_t here = ftello(stream);
    if (here < 0) return false;
    *position = static_cast<std::uint64_t>(here);
    return true;
}
#endif

int OpenDataFile(const char* fileName, std::uint64_t* size) {
    if (fileName == nullptr || size == nullptr) return -1;
    const int descriptor = OpenFile(fileName);
    if (descriptor < 0) return -1;
    if (!IsRegularFile(descriptor, size)) {
        CloseFile(descriptor);
        return -1;
    }
    return descriptor;
}

bool ReadDataAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset) {
    auto* at = static_cast<unsigned char*>(into);
    while (count > 0) {
        const long long got = ReadAt(descriptor, at, count, offset);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        count -= static_cast<std::uint64_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

void CloseDataFile(int descriptor) {
    if (descriptor >= 0) CloseFile(descriptor);
}

bool DataFileOpens(const char* fileName) {
    if (fileName == nullptr) return false;
    const int probe = OpenFile(fileName);
    if (probe < 0) return false;
    CloseFile(probe);
    return true;
}

std::FILE* OpenDataStream(const char* fileName, std::uint64_t* size) {
    const int descriptor = OpenDataFile(fileName, size);
    if (descriptor < 0) return nullptr;
    std::FILE* stream = StreamOf(descriptor);
    if (stream == nullptr) CloseFile(descriptor);
    return stream;
}

std::vector<unsigned char> ReadIconFile() {
    constexpr std::uint64_t kLargestIcon = 1 << 20;  // far more than a 256 x 256 bitmap needs
    std::vector<unsigned char> bytes;
    std::uint64_t size = 0;
    const int file = OpenDataFile("icon.bmp", &size);
    if (file >= 0 && size > 0 && size <= kLargestIcon) {
        bytes.resize(static_cast<std::size_t>(size));
        if (!ReadDataAt(file, bytes.data(), size, 0)) bytes.clear();
    }
    CloseDataFile(file);
    return bytes;
}
