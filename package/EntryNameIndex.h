// The payload's entries sorted by name, so that every lookup by name (the loader's packaged
// sizes, each installed file's entry) is a binary search instead of a scan of the entry list.
#pragma once

#include "package/PayloadEntry.h"

#include <vector>

class EntryNameIndex {
  public:
    EntryNameIndex() = default;
    EntryNameIndex(const PayloadEntry* entries, int count);
    // The index of the last entry of that name in payload order, or -1.
    int find(const char* name) const;

  private:
    const PayloadEntry* entries_ = nullptr;
    std::vector<int> sorted_; // by name, then by position
};
