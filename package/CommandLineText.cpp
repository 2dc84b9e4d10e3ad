#include "package/CommandLineText.h"

#include "package/Utf8Text.h"

#include <cstring>

namespace {
const char* escapeOf(unsigned codePage) {
    return codePage == TextEncoding::kUtf8 ? "\xC2\xAC" : "\xAC";
}

size_t characterAt(const char* text, size_t length, size_t at, unsigned codePage) {
    return codePage == TextEncoding::kUtf8 ? Utf8Text::characterLength(text, length, at) : 1;
}

bool isEscapeAt(const char* text, size_t length, size_t at, unsigned codePage) {
    const char* escape = escapeOf(codePage);
    size_t size = std::strlen(escape);
    return at + size <= length && std::memcmp(text + at, escape, size) == 0;
}
} // namespace

std::string CommandLineText::quoted(const std::string& value, unsigned codePage) {
    std::string text = "\"";
    const char* escape = escapeOf(codePage);
    for (size_t at = 0; at < value.size();) {
        size_t n = characterAt(value.data(), value.size(), at, codePage);
        if (value[at] == '"' || isEscapeAt(value.data(), value.size(), at, codePage))
            text += escape;
        text.append(value, at, n);
        at += n;
    }
    return text + "\"";
}

size_t CommandLineText::closingQuote(const char* begin, size_t length, unsigned codePage) {
    size_t at = 0;
    while (at < length && begin[at] != '"') {
        if (isEscapeAt(begin, length, at, codePage))
            at += std::strlen(escapeOf(codePage));
        if (at < length)
            at += characterAt(begin, length, at, codePage);
    }
    return at < length ? at : length;
}

std::string CommandLineText::unescaped(const char* begin, size_t length, unsigned codePage) {
    std::string value;
    value.reserve(length);
    for (size_t at = 0; at < length;) {
        if (isEscapeAt(begin, length, at, codePage)) {
            at += std::strlen(escapeOf(codePage));
            if (at >= length)
                break;
        }
        size_t n = characterAt(begin, length, at, codePage);
        value.append(begin + at, n);
        at += n;
    }
    return value;
}
