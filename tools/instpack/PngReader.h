// PNG pictures through libpng, into the engine's image entry format.
#pragma once

#include "tools/instpack/DecodedImage.h"

class PngReader {
  public:
    static bool isPng(const Bytes& file);
    static bool decode(const Bytes& file, DecodedImage& image, std::string& error);
};
