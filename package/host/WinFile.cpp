// POSIX implementation of WinFile for the native build. It keeps the Windows semantics the
// callers rely on: the creation modes, the share-free access and Windows-style error codes.
#include "package/WinFile.h"

#include "package/host/HostPath.h"
#include "package/host/PosixErrors.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr intptr_t kNoHandle = -1;

int openFlags(uint32_t access, int mode) {
    int flags = 0;
    bool reading = (access & fileaccess::kRead) != 0;
    bool writing = (access & fileaccess::kWrite) != 0;
    if (reading && writing)
        flags = O_RDWR;
    else if (writing)
        flags = O_WRONLY;
    else
        flags = O_RDONLY;
    if (mode == fileaccess::kOpenOrCreate)
        flags |= O_CREAT;
    else if (mode == fileaccess::kCreateOrEmpty)
        flags |= O_CREAT | O_TRUNC;
    return flags | O_CLOEXEC;
}
} // namespace

WinFile::WinFile() : handle_(kNoHandle) {}

WinFile::~WinFile() {
    if (isOpen())
        close();
}

bool WinFile::isOpen() const {
    return handle_ != kNoHandle;
}

int WinFile::open() {
    char hostPath[fileaccess::kPathSize];
    toHostPath(path_, hostPath, sizeof hostPath);
    int fd = ::open(hostPath, openFlags(access_, mode_), 0644);
    handle_ = fd;
    if (fd < 0) {
        handle_ = kNoHandle;
        return windowsErrorFromErrno(errno);
    }
    return 0;
}

bool WinFile::close() {
    if (handle_ == kNoHandle)
        return false;
    int result = ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
    return result == 0;
}

bool WinFile::flush() {
    return handle_ != kNoHandle && ::fsync(static_cast<int>(handle_)) == 0;
}

int WinFile::write(const void* bytes, uint32_t count, uint32_t* written) {
    uint32_t done = 0;
    const char* data = static_cast<const char*>(bytes);
    while (done < count) {
        ssize_t n = ::write(static_cast<int>(handle_), data + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (written != nullptr)
                *written = done;
            return handle_ == kNoHandle ? fileaccess::kErrorInvalidHandle
                                        : windowsErrorFromErrno(errno);
        }
        done += static_cast<uint32_t>(n);
    }
    if (written != nullptr)
        *written = done;
    return 0;
}

int WinFile::read(void* buffer, uint32_t count, uint32_t* got) {
    uint32_t done = 0;
    char* data = static_cast<char*>(buffer);
    while (done < count) {
        ssize_t n = ::read(static_cast<int>(handle_), data + done, count - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (got != nullptr)
                *got = done;
            return handle_ == kNoHandle ? fileaccess::kErrorInvalidHandle
                                        : windowsErrorFromErrno(errno);
        }
        if (n == 0)
            break;
        done += static_cast<uint32_t>(n);
    }
    if (got != nullptr)
        *got = done;
    return 0;
}

bool WinFile::seekFromStart(int32_t low, int32_t high) {
    uint64_t bits =
        static_cast<uint64_t>(static_cast<uint32_t>(high)) << 32 | static_cast<uint32_t>(low);
    int64_t distance = static_cast<int64_t>(bits);
    return ::lseek(static_cast<int>(handle_), distance, SEEK_SET) >= 0;
}

int64_t WinFile::size() {
    struct stat info;
    if (::fstat(static_cast<int>(handle_), &info) != 0)
        return -1;
    return info.st_size;
}

bool WinFile::truncate() {
    off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    return here >= 0 && ::ftruncate(static_cast<int>(handle_), here) == 0;
}

int64_t WinFile::position() {
    off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    return here < 0 ? -1 : here;
}

int64_t WinFile::sizeOfFile(const char* path) {
    char hostPath[1024];
    struct stat info;
    if (!toHostPath(path, hostPath, sizeof hostPath) || ::stat(hostPath, &info) != 0)
        return -1;
    return info.st_size;
}
