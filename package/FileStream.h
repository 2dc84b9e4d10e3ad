// The engine's one stream abstraction. Every raw file access goes through it, so that the
// Windows file calls live in one class and the platform-neutral code can run natively.
#pragma once

#include <cstdint>

class FileStream {
  public:
    virtual ~FileStream() = default;
    virtual int open() = 0;
    virtual int close() = 0;
    // Returns the system's success value: non-zero on success.
    virtual int flush() = 0;
    virtual int write(const void* bytes, uint32_t count, uint32_t* written) = 0;
    virtual int writeText(const char* text) = 0;
    // A 16-bit little-endian length followed by that many bytes, no terminator.
    virtual int writeString(const char* text, uint16_t length, uint32_t* written);
    virtual int read(void* buffer, uint32_t count, uint32_t* got) = 0;
    virtual int readString(char* buffer, uint16_t* length, uint32_t* got);
    // capacityOrLength: the buffer's capacity in, the text's length out.
    virtual int readText(char* buffer, uint16_t* capacityOrLength, uint32_t* got);
    virtual int seekFromStart(int32_t low, int32_t high) = 0;
    virtual int seekFromCurrent(int32_t low, int32_t high) = 0;
    virtual int seekFromEnd(int32_t low, int32_t high) = 0;
    virtual int64_t size() = 0;
    virtual int truncate() { return -1; }
    virtual int64_t position() = 0;
    virtual int atEnd() = 0;
    virtual int openCount() = 0;
};

// Copies up to `count` bytes from the source's position to the destination's position in
// chunks of `chunkSize` (32 KiB when <= 0, at most 32 MiB). Returns 0 or the first error.
int copyStream(FileStream& destination, FileStream& source, int64_t count, int64_t* totalRead,
               int64_t* totalWritten, int chunkSize);
