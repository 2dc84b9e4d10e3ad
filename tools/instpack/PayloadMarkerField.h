// Finding the engine's payload offset field in an executable image, reading the offset of a
// packed installer from it, and patching it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class PayloadMarkerField {
  public:
    enum class State { Missing, Unpatched, Patched, Repeated };

    struct Found {
        State state = State::Missing;
        size_t position = 0; // of the field's first byte
        uint32_t offset = 0; // the payload offset, when patched
    };

    // Looks at the whole image: an unpacked engine holds the field's text exactly once.
    static Found inEngine(const unsigned char* image, size_t length);
    // Looks for the field of a packed installer: the first occurrence of the field's tail in
    // the file, which lies in the engine image in front of any payload (the payload may hold
    // further copies of the engine, and so of the text).
    static Found inInstaller(const unsigned char* file, size_t length);
    static void patch(unsigned char* image, size_t position, uint32_t offset);
    static const char* describe(State state);
};
