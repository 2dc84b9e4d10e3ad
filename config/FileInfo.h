// One file of the description. Its texts are kept by the FileList that read it; the sizes
// below are the limits the loader enforces (with the terminating zero): a longer text is
// refused, never cut. The destination and the file name count characters (they name paths),
// the others bytes.
#pragma once

#include "config/ConditionEvaluator.h"

#include <cstdint>

struct FileInfo {
    static constexpr int kDestinationSize = 260;
    static constexpr int kAliasSize = 260;
    static constexpr int kFileNameSize = 260;
    static constexpr int kConditionSize = ConditionEvaluator::kTextSize;

    int32_t fileSet;
    const char* destination;
    const char* alias;
    const char* fileName;
    const char* condition;
    uint32_t unpackedSize;
    uint8_t expandVariables;
    uint8_t executable;
};
