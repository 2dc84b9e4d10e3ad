// Entries and bytes done, on one rewritten line of a terminal, for packages large enough that
// a person would otherwise wonder whether the packer is still working.
#pragma once

#include <chrono>
#include <cstdint>

class Progress {
  public:
    Progress(uint64_t entries, uint64_t bytes, bool toTerminal);
    void advance(uint64_t bytes);
    void finish();

  private:
    void show();

    bool enabled_;
    uint64_t totalEntries_;
    uint64_t totalBytes_;
    uint64_t doneEntries_ = 0;
    uint64_t doneBytes_ = 0;
    std::chrono::steady_clock::time_point lastShown_;
};
