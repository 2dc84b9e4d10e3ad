#include "package/Utf8Text.h"

namespace {
bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length a lead byte announces, 0 for a byte that cannot start a character.
size_t announcedLength(unsigned char lead) {
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

// The second byte's range for the leads that exclude overlong forms, surrogates and values
// beyond U+10FFFF.
bool secondByteFits(unsigned char lead, unsigned char second) {
    if (lead == 0xE0)
        return second >= 0xA0 && second <= 0xBF;
    if (lead == 0xED)
        return second >= 0x80 && second <= 0x9F;
    if (lead == 0xF0)
        return second >= 0x90 && second <= 0xBF;
    if (lead == 0xF4)
        return second >= 0x80 && second <= 0x8F;
    return isContinuation(second);
}

// The length of the well-formed character at text[at], 0 when there is none.
size_t wellFormedLength(const char* text, size_t length, size_t at) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    size_t wanted = announcedLength(byte(at));
    if (wanted <= 1 || at + wanted > length)
        return wanted == 1 ? 1 : 0;
    if (!secondByteFits(byte(at), byte(at + 1)))
        return 0;
    for (size_t i = 2; i < wanted; ++i) {
        if (!isContinuation(byte(at + i)))
            return 0;
    }
    return wanted;
}
} // namespace

size_t Utf8Text::completeLength(const char* text, size_t length) {
    size_t lead = length;
    for (size_t steps = 0; lead > 0 && steps < 4; ++steps) {
        --lead;
        if (!isContinuation(static_cast<unsigned char>(text[lead])))
            break;
    }
    if (lead == length)
        return length;
    size_t wanted = announcedLength(static_cast<unsigned char>(text[lead]));
    return wanted > 1 && lead + wanted > length ? lead : length;
}

size_t Utf8Text::characterLength(const char* text, size_t length, size_t at) {
    size_t n = wellFormedLength(text, length, at);
    return n == 0 ? 1 : n;
}

bool Utf8Text::isValid(const char* text, size_t length) {
    for (size_t at = 0; at < length;) {
        size_t n = wellFormedLength(text, length, at);
        if (n == 0)
            return false;
        at += n;
    }
    return true;
}

size_t Utf8Text::utf16Length(const char* text, size_t length) {
    size_t units = 0;
    for (size_t at = 0; at < length;) {
        size_t n = characterLength(text, length, at);
        units += n == 4 ? 2 : 1;
        at += n;
    }
    return units;
}

bool Utf8Text::hasNonAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return true;
    }
    return false;
}
