#include "package/WindowedFile.h"

#include <new>

namespace {
// One read call asks for at most this much: WinFile counts in 32 bits.
constexpr size_t kReadLimit = size_t{1} << 30;
} // namespace

bool WindowedFile::open(const char* path) {
    close();
    // The uninstall command's copy reads its own pictures from its program, which the command
    // holds open for removal (delete access): a reader must share deletion to open it at all.
    if (file_.openPath(path, fileaccess::kRead, fileaccess::kShareRead | fileaccess::kShareDelete,
                       fileaccess::kOpenExisting) != 0)
        return false;
    size_ = file_.size();
    if (size_ < 0) {
        close();
        return false;
    }
    return true;
}

void WindowedFile::close() {
    dropWindow();
    buffer_.reset();
    capacity_ = 0;
    if (file_.isOpen())
        file_.close();
    size_ = 0;
}

const unsigned char* WindowedFile::bytes(int64_t offset, uint32_t count) {
    if (offset < 0 || offset > size_ || count > size_ - offset)
        return nullptr;
    static const unsigned char kNothing[1] = {0};
    if (count == 0)
        return kNothing;
    int64_t end = offset + count;
    if (!holds(offset, end)) {
        // Windows at fixed boundaries serve a walk in either direction with few reads; a request
        // across a boundary gets one window holding all of it.
        int64_t start = offset / kWindowSize * kWindowSize;
        int64_t length = end - start > kWindowSize ? end - start : kWindowSize;
        if (length > size_ - start)
            length = size_ - start;
        if (!readWindow(start, static_cast<size_t>(length)))
            return nullptr;
    }
    return buffer_.get() + (offset - windowStart_);
}

bool WindowedFile::holds(int64_t offset, int64_t end) const {
    return windowLength_ > 0 && offset >= windowStart_ &&
           end <= windowStart_ + static_cast<int64_t>(windowLength_);
}

// A buffer grown for one request across windows goes again with the next ordinary window, so
// that one large entry does not keep its size in memory for the rest of the run.
bool WindowedFile::makeRoom(size_t length) {
    const size_t window = static_cast<size_t>(kWindowSize);
    size_t wanted = length > window ? length : window;
    bool oversized = capacity_ > window && wanted == window;
    if (buffer_ && capacity_ >= wanted && !oversized)
        return true;
    buffer_.reset();
    capacity_ = 0;
    buffer_.reset(new (std::nothrow) unsigned char[wanted]);
    if (!buffer_)
        return false;
    capacity_ = wanted;
    return true;
}

// Whole or not at all: a read that fails or ends early (the file is shorter than when it was
// opened) leaves no window, so that no caller ever sees bytes that were not read.
bool WindowedFile::readWindow(int64_t start, size_t length) {
    dropWindow();
    if (!makeRoom(length))
        return false;
    uint64_t bits = static_cast<uint64_t>(start);
    if (!file_.seekFromStart(static_cast<int32_t>(bits & 0xffffffffu),
                             static_cast<int32_t>(bits >> 32)))
        return false;
    size_t done = 0;
    while (done < length) {
        size_t asked = length - done < kReadLimit ? length - done : kReadLimit;
        uint32_t got = 0;
        if (file_.read(buffer_.get() + done, static_cast<uint32_t>(asked), &got) != 0 || got == 0)
            return false;
        done += got;
    }
    windowStart_ = start;
    windowLength_ = length;
    return true;
}

void WindowedFile::dropWindow() {
    windowStart_ = 0;
    windowLength_ = 0;
}
