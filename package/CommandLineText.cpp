#include "package/CommandLineText.h"

std::string CommandLineText::quoted(const std::string& value) {
    std::string text = "\"";
    for (char c : value) {
        if (c == '"' || c == kEscape)
            text += kEscape;
        text += c;
    }
    return text + "\"";
}

std::string CommandLineText::unescaped(const char* begin, size_t length) {
    std::string value;
    value.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        if (begin[i] == kEscape && ++i == length)
            break;
        value.push_back(begin[i]);
    }
    return value;
}
