// Uncompressed Windows bitmaps (1, 4, 8, 24 and 32 bits per pixel) into the engine's image
// entry format. Every offset and row is checked against the file's length before it is read.
#pragma once

#include "tools/instpack/DecodedImage.h"

class BmpReader {
  public:
    static bool isBmp(const Bytes& file);
    static bool decode(const Bytes& file, DecodedImage& image, std::string& error);
};
