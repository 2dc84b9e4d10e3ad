// The line-writer interface shared by the debug log and the action log.
#pragma once

#include <cstdint>

class LogBase {
  public:
    virtual ~LogBase() = default;
    virtual int open(const char* /*path*/, int /*mode*/) { return -1; }
    virtual int close() { return -1; }
    virtual void idle() {}
    virtual void write(const void* bytes, uint32_t length) = 0;
};
