#include "package/PayloadMarker.h"

// The packer finds this field by its text and overwrites its first four bytes. It must stay
// in initialised data, once, unmerged: volatile keeps the compiler from folding reads of it,
// and nothing else in the engine spells the whole text.
extern "C" {
__attribute__((used)) volatile char kestrelPayloadOffsetMarker[20] = "_BINARYIMAGEOFFSET_";
}

uint32_t PayloadMarker::offset() {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(kestrelPayloadOffsetMarker[i]);
    return value;
}

bool PayloadMarker::isPatched() {
    return !(kestrelPayloadOffsetMarker[0] == '_' && kestrelPayloadOffsetMarker[1] == 'B' &&
             kestrelPayloadOffsetMarker[2] == 'I' && kestrelPayloadOffsetMarker[3] == 'N');
}
