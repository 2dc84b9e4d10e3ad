#include "system/RegistryReader.h"

bool RegistryReader::readText(const char*, const char*, const char*, char* out, int size) {
    if (out != nullptr && size > 0)
        out[0] = '\0';
    return false;
}
