#include "package/EntryNameIndex.h"

#include <algorithm>
#include <cstring>

EntryNameIndex::EntryNameIndex(const PayloadEntry* entries, int count) : entries_(entries) {
    sorted_.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int i = 0; i < count; ++i)
        sorted_.push_back(i);
    std::sort(sorted_.begin(), sorted_.end(), [entries](int a, int b) {
        int order = std::strcmp(entries[a].name, entries[b].name);
        return order != 0 ? order < 0 : a < b;
    });
}

int EntryNameIndex::find(const char* name) const {
    // The first entry ordered after every entry of that name; the one before it is the last
    // entry of the name, if any.
    auto after =
        std::upper_bound(sorted_.begin(), sorted_.end(), name, [this](const char* key, int entry) {
            return std::strcmp(key, entries_[entry].name) < 0;
        });
    if (after == sorted_.begin())
        return -1;
    int candidate = *(after - 1);
    return std::strcmp(entries_[candidate].name, name) == 0 ? candidate : -1;
}
