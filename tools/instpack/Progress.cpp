#include "tools/instpack/Progress.h"

#include <cstdio>

namespace {
constexpr uint64_t kLargeEntryCount = 1000;
constexpr uint64_t kLargeByteCount = 32u << 20;
constexpr auto kInterval = std::chrono::milliseconds(200);

double megabytes(uint64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}
} // namespace

Progress::Progress(uint64_t entries, uint64_t bytes, bool toTerminal)
    : enabled_(toTerminal && (entries >= kLargeEntryCount || bytes >= kLargeByteCount)),
      totalEntries_(entries), totalBytes_(bytes), lastShown_(std::chrono::steady_clock::now()) {}

void Progress::advance(uint64_t bytes) {
    ++doneEntries_;
    doneBytes_ += bytes;
    if (enabled_ && std::chrono::steady_clock::now() - lastShown_ >= kInterval)
        show();
}

void Progress::show() {
    std::fprintf(stderr, "\rinstpack: %llu/%llu entries, %.1f/%.1f MiB",
                 static_cast<unsigned long long>(doneEntries_),
                 static_cast<unsigned long long>(totalEntries_), megabytes(doneBytes_),
                 megabytes(totalBytes_));
    std::fflush(stderr);
    lastShown_ = std::chrono::steady_clock::now();
}

void Progress::finish() {
    if (!enabled_)
        return;
    show();
    std::fputc('\n', stderr);
}
