// The payload's entries sorted by name, so that the loader can look up the packaged size of
// every file reference without scanning the whole entry list for each one.
#pragma once

#include "package/PayloadEntry.h"

#include <vector>

class EntryNameIndex {
  public:
    EntryNameIndex(const PayloadEntry* entries, int count);
    // The index of the last entry of that name in payload order, or -1.
    int find(const char* name) const;

  private:
    const PayloadEntry* entries_;
    std::vector<int> sorted_; // by name, then by position
};
