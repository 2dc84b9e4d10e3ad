// The fields of one action-log sub-record, joined by single TABs. The log's reader splits at
// TABs and strips white space from the end of a line, so a field holding a TAB or a line end,
// or a last field ending in white space, would come back as something else: such a record is
// refused, and the change it describes must then not be made.
#pragma once

#include <optional>
#include <string>
#include <vector>

class RecordFields {
  public:
    RecordFields() = delete;

    // The fields joined by single TABs; nothing when the log could not carry them exactly.
    static std::optional<std::string> join(const std::vector<std::string>& fields);
    // The fields between single TABs; two TABs in a row enclose an empty field.
    static std::vector<std::string> split(const std::string& text);
    // Whether the log's reader would strip this character from the end of a line.
    static bool isTrailingSpace(char c);
};
