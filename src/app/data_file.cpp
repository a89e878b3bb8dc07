#include "app/data_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

int OpenDataFile(const char* fileName, std::uint64_t* size) {
    if (fileName == nullptr) return -1;
    const int descriptor = open(fileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0) return -1;
    struct stat info {};
    if (fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0) {
        close(descriptor);
        return -1;
    }
    *size = static_cast<std::uint64_t>(info.st_size);
    return descriptor;
}

bool ReadDataAt(int descriptor, void* into, std::uint64_t count, std::uint64_t offset) {
    auto* at = static_cast<unsigned char*>(into);
    while (count > 0) {
        const ssize_t got = pread(descriptor, at, count, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        at += got;
        count -= static_cast<std::uint64_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}
