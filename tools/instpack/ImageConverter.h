// Turns the wizard's PNG and BMP pictures into the engine's image entry format; other files
// stay as they are.
#pragma once

#include "tools/instpack/HostFiles.h"

#include <string>

class ImageConverter {
  public:
    enum class Result { NotAnImage, Converted, Failed };
    static Result convert(const Bytes& file, Bytes& entry, std::string& error);
};
