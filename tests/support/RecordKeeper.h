// Test helper: the sink a system change hands its undo records to, keeping them as the action
// log would, and refusing (as a full log would) any record of `capacity` bytes or more.
#pragma once

#include "system/RecordSink.h"

#include <string>
#include <vector>

struct RecordKeeper {
    std::vector<std::string> records;
    size_t capacity = std::string::npos;

    RecordSink sink() {
        return [this](const std::string& record) {
            if (record.size() >= capacity)
                return false;
            records.push_back(record);
            return true;
        };
    }
    std::string last() const { return records.empty() ? std::string() : records.back(); }
};
