// The CRC-32 that tells whether a file still holds the bytes an installation wrote (or the
// bytes it saved): unlike a sum of words, it changes with every edit of practical size, also
// with two edits that would cancel out in a sum.
#pragma once

#include <cstddef>
#include <cstdint>

class FileCheck {
  public:
    FileCheck() = delete;

    // What reading a file gave: it is not there, it is there but cannot be read whole (held
    // open by another program without sharing, no access), or its check and size.
    enum class State { kMissing, kUnreadable, kRead };
    struct Result {
        State state = State::kMissing;
        uint32_t crc = 0;
        int64_t size = 0;
        int error = 0; // the system's code when unreadable
    };

    // Folds `length` bytes into a running check; the check of no bytes is 0, and folding piece
    // by piece gives the check of the whole.
    static uint32_t update(uint32_t crc, const void* bytes, size_t length);
    static uint32_t of(const void* bytes, size_t length) { return update(0, bytes, length); }
    // The check of the file as it is now.
    static Result ofFile(const char* path);
    // Whether the system's code for a failed open means that nothing stands at the path.
    static bool meansMissing(int error);
};
