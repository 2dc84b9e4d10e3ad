// A file read window by window into a buffer of its own instead of read whole: only the window
// in use is held in memory, so a package of any size costs the same few megabytes, and a walk
// that jumps ahead skips the windows in between. The bytes are read, not mapped: when the file
// shrinks while it is open (a network share that drops, a medium taken out), a mapped page past
// the new end ends the process, whereas a read merely comes up short and only what was being
// read fails. The file stays open denying writers, so that on a local disk nobody can change
// or shrink it meanwhile.
#pragma once

#include "package/WinFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class WindowedFile {
  public:
    WindowedFile() = default;
    ~WindowedFile() { close(); }
    WindowedFile(const WindowedFile&) = delete;
    WindowedFile& operator=(const WindowedFile&) = delete;

    // False when the file cannot be opened or its size cannot be had.
    bool open(const char* path);
    void close();
    // The size the file had when it was opened.
    int64_t size() const { return size_; }
    // `count` bytes from `offset` on, valid until the next call or close(); null when they lie
    // outside the file as it was opened, or cannot be read whole now (a read error, or the file
    // has shrunk since).
    const unsigned char* bytes(int64_t offset, uint32_t count);
    // Where the window holding `offset` ends: a walk that asks for no bytes across that end
    // reads each part of the file once.
    static int64_t windowEnd(int64_t offset) { return (offset / kWindowSize + 1) * kWindowSize; }

  private:
    static constexpr int64_t kWindowSize = int64_t{8} << 20;

    bool holds(int64_t offset, int64_t end) const;
    bool makeRoom(size_t length);
    bool readWindow(int64_t start, size_t length);
    void dropWindow();

    WinFile file_;
    int64_t size_ = 0;
    std::unique_ptr<unsigned char[]> buffer_;
    size_t capacity_ = 0;
    int64_t windowStart_ = 0;
    size_t windowLength_ = 0; // 0: no window is held
};
