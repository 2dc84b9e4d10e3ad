#include "tools/instpack/PayloadMarkerField.h"

#include "package/PayloadFormat.h"

#include <algorithm>
#include <cstring>

namespace {
// The field's text with its zero byte; the packer overwrites the first four bytes.
constexpr char kFieldText[] = "_BINARYIMAGEOFFSET_";
constexpr size_t kFieldSize = sizeof kFieldText;
constexpr size_t kPatchedBytes = 4;
static_assert(kFieldSize == payload::kOffsetMarkerSize, "the field is 20 bytes");

const unsigned char* search(const unsigned char* from, const unsigned char* to, const char* text,
                            size_t size) {
    return std::search(from, to, text, text + size);
}
} // namespace

PayloadMarkerField::Found PayloadMarkerField::inEngine(const unsigned char* image, size_t length) {
    // A packed installer's payload may carry an unpacked engine copy: the field in front wins.
    Found found = inInstaller(image, length);
    if (found.state != State::Unpatched)
        return found;
    const unsigned char* end = image + length;
    if (search(image + found.position + 1, end, kFieldText, kFieldSize) != end)
        found.state = State::Repeated;
    return found;
}

PayloadMarkerField::Found PayloadMarkerField::inInstaller(const unsigned char* file,
                                                          size_t length) {
    Found found;
    const char* tail = kFieldText + kPatchedBytes;
    size_t tailSize = kFieldSize - kPatchedBytes;
    if (length < kFieldSize)
        return found;
    const unsigned char* end = file + length;
    const unsigned char* at = search(file + kPatchedBytes, end, tail, tailSize);
    if (at == end)
        return found;
    found.position = static_cast<size_t>(at - file) - kPatchedBytes;
    const unsigned char* field = file + found.position;
    if (std::memcmp(field, kFieldText, kPatchedBytes) == 0) {
        found.state = State::Unpatched;
        return found;
    }
    found.state = State::Patched;
    found.offset = payload::readLittleEndian32(field);
    return found;
}

void PayloadMarkerField::patch(unsigned char* image, size_t position, uint32_t offset) {
    for (size_t i = 0; i < kPatchedBytes; ++i)
        image[position + i] = static_cast<unsigned char>(offset >> (8 * i));
}

const char* PayloadMarkerField::describe(State state) {
    switch (state) {
    case State::Missing:
        return "has no payload offset field: it is not a kestrel engine";
    case State::Unpatched:
        return "carries no payload";
    case State::Patched:
        return "already carries a payload";
    case State::Repeated:
        return "holds the payload offset field more than once: the engine cannot tell which "
               "one it reads";
    }
    return "";
}
