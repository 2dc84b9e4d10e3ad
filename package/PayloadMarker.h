// The field in the engine image into which the packer writes the payload's file offset.
#pragma once

#include <cstdint>

class PayloadMarker {
  public:
    // The offset written by the packer (the first four bytes, little-endian).
    static uint32_t offset();
    // False while the field still holds its original text: the engine carries no payload.
    static bool isPatched();
};
