// The fields of one action-log sub-record, joined by single TABs. The log keeps every line
// whole up to its line end, so a field may hold anything but a TAB or a line end: either would
// shift the fields behind it or end the line early, and the undo would act on something else.
// Such a record is refused, and the change it describes must then not be made.
#pragma once

#include <optional>
#include <string>
#include <vector>

class RecordFields {
  public:
    RecordFields() = delete;

    // The fields joined by single TABs; nothing when a field holds a TAB, CR or LF.
    static std::optional<std::string> join(const std::vector<std::string>& fields);
    // The fields between single TABs; two TABs in a row enclose an empty field, and a TAB at
    // the end is followed by one.
    static std::vector<std::string> split(const std::string& text);
};
