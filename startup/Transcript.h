// The -log file: a readable record of a run for the administrator who asked for it. The uninstall
// command and its copy both add to it, so every line opens the file, appends and closes it again.
#pragma once

#include "package/BoundedText.h"

#include <string>

class Transcript {
  public:
    // Empty: nothing is kept.
    explicit Transcript(const char* path = nullptr) : path_(path != nullptr ? path : "") {}
    bool wanted() const { return !path_.empty(); }
    // Whether a line can be added now (the file can be opened for writing).
    bool writable() const;
    // Adds one time-stamped line.
    void line(const char* format, ...) KESTREL_PRINTF(2, 3);

  private:
    bool append(const std::string& text) const;

    std::string path_;
};
