// Where UTF-8 text may be cut: the engine's byte strings are UTF-8 wherever the system lets the
// process work in UTF-8, and a cut inside a character would show as garbage or make the whole
// text invalid for the system's wide functions.
#pragma once

#include <cstddef>

class Utf8Text {
  public:
    // The length of text[0, length) without a last character that is incomplete (a text cut
    // inside it).
    static size_t completeLength(const char* text, size_t length);
    // How many bytes the character starting at text[at] takes (1 for a byte that starts no
    // complete, well-formed sequence, so that a walk over damaged text still moves on).
    static size_t characterLength(const char* text, size_t length, size_t at);
    // Whether text[0, length) is well-formed UTF-8.
    static bool isValid(const char* text, size_t length);
    // How many UTF-16 units the system makes of text[0, length): 2 for a 4-byte character, 1 for
    // any other character and for each byte that starts no well-formed one (it becomes U+FFFD).
    static size_t utf16Length(const char* text, size_t length);
    // Whether the text holds a byte outside ASCII.
    static bool hasNonAscii(const char* text, size_t length);
};
