#include "package/BoundedText.h"

#include "package/TextEncoding.h"
#include "package/Utf8Text.h"

#include <cstdio>
#include <cstring>

namespace {
// A cut text ends on a whole character: half of one shows as garbage and makes the whole text
// invalid for the system's conversions.
void endOnWholeCharacter(char* buffer, size_t length) {
    if (TextEncoding::processCodePage() == TextEncoding::kUtf8)
        buffer[Utf8Text::completeLength(buffer, length)] = '\0';
}
} // namespace

int boundedFormatV(char* buffer, int size, const char* format, va_list args) {
    if (buffer == nullptr || size <= 0)
        return 0;
    buffer[size - 1] = '\0';
    int wanted = std::vsnprintf(buffer, static_cast<size_t>(size), format, args);
    buffer[size - 1] = '\0';
    if (wanted < 0) {
        buffer[0] = '\0';
        return -1;
    }
    if (wanted >= size) {
        endOnWholeCharacter(buffer, static_cast<size_t>(size - 1));
        return -1;
    }
    return wanted;
}

int boundedFormat(char* buffer, int size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    int result = boundedFormatV(buffer, size, format, args);
    va_end(args);
    return result;
}

bool copyTextPiece(char* buffer, int size, const char* source, int length) {
    if (buffer == nullptr || size <= 0)
        return false;
    if (source == nullptr)
        source = "";
    int n = 0;
    while (n < length && source[n] != '\0' && n < size - 1) {
        buffer[n] = source[n];
        ++n;
    }
    buffer[n] = '\0';
    bool whole = n == length || source[n] == '\0';
    if (!whole)
        endOnWholeCharacter(buffer, static_cast<size_t>(n));
    return whole;
}

bool copyText(char* buffer, int size, const char* source) {
    return copyTextPiece(buffer, size, source, 0x7fffffff);
}

bool appendText(char* buffer, int size, const char* source) {
    if (buffer == nullptr || size <= 0)
        return false;
    size_t used = strnlen(buffer, static_cast<size_t>(size));
    if (used >= static_cast<size_t>(size)) {
        // An unterminated buffer is a caller's fault; terminate it rather than read past it.
        buffer[size - 1] = '\0';
        return false;
    }
    return copyText(buffer + used, size - static_cast<int>(used), source);
}
