// The program's line writer: the debug log and the action log. A log without a file formats
// and drops its lines, so callers never test whether logging is on.
#pragma once

#include "package/BoundedText.h"
#include <cstdint>
#include <ctime>
#include <memory>

class WinFile;

class Log {
  public:
    static constexpr int kLineNumbers = 1;
    static constexpr int kTimeStamps = 2;

    Log();
    ~Log();
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;

    // Creates or empties the file; false when it cannot be.
    bool open(const char* path);
    void close();
    void write(const void* bytes, uint32_t length);
    bool hasFile() const { return file_ != nullptr; }
    // Writes one line through the file and reports whether every byte arrived; the action log
    // needs to know, the debug log does not.
    bool writeChecked(const void* bytes, uint32_t length);

    int lineCounter = 0;
    int flags = kLineNumbers | kTimeStamps;

  private:
    std::unique_ptr<WinFile> file_;
};

// Formats and writes one line: optional number, optional time stamp, the message, CR LF.
// Without a log it does nothing.
void logMessage(Log* log, const char* format, ...) KESTREL_PRINTF(2, 3);

// The local time now in `storage`, or null when the system cannot say it.
const std::tm* currentLocalTime(std::tm* storage);

// The prefix of a line for the given flags, number and local time (none: time unavailable).
// Month values outside 0..11 are clamped. Returns the prefix length.
int formatLogPrefix(char* buffer, int size, int flags, int lineNumber, const std::tm* localTime);
