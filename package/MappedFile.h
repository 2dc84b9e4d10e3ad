// A file read through mapped windows instead of read whole: only the window in use is held in
// memory, so a package of any size costs the same few megabytes, and bytes never looked at are
// never read. The file stays open denying writers for as long as it is mapped, so that its
// bytes cannot change or shrink under a view. The system calls live in package/win and
// package/host.
#pragma once

#include "package/WinFile.h"

#include <cstddef>
#include <cstdint>

class MappedFile {
  public:
    MappedFile() = default;
    ~MappedFile() { close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // 0, or -1 when the file cannot be opened or mapped.
    int open(const char* path);
    void close();
    int64_t size() const { return size_; }
    // `count` bytes from `offset` on, valid until the next call or close(); null when they lie
    // outside the file or the system cannot map them.
    const unsigned char* bytes(int64_t offset, uint32_t count);
    // Where the window holding `offset` ends: a walk that asks for no bytes across that end maps
    // each part of the file once.
    static int64_t windowEnd(int64_t offset) { return (offset / kWindowSize + 1) * kWindowSize; }

  private:
    // A multiple of every system's mapping granularity (64 KiB on Windows).
    static constexpr int64_t kWindowSize = int64_t{8} << 20;

    bool createMapping();
    void closeMapping();
    const unsigned char* mapWindow(int64_t start, size_t length);
    void unmapWindow();

    WinFile file_;
    int64_t size_ = 0;
    intptr_t mapping_ = 0; // the mapping object on Windows
    const unsigned char* window_ = nullptr;
    int64_t windowStart_ = 0;
    size_t windowLength_ = 0;
};
