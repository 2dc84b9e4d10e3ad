#include "system/RecordFields.h"

std::optional<std::string> RecordFields::join(const std::vector<std::string>& fields) {
    std::string line;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].find_first_of("\t\r\n") != std::string::npos)
            return std::nullopt;
        if (i > 0)
            line += '\t';
        line += fields[i];
    }
    return line;
}

std::vector<std::string> RecordFields::split(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t tab = text.find('\t', start);
        fields.push_back(text.substr(start, tab == std::string::npos ? tab : tab - start));
        if (tab == std::string::npos)
            return fields;
        start = tab + 1;
    }
}
