#pragma once

#include "config/ConditionEvaluator.h"

#include <cstdint>

struct FileInfo {
    int32_t fileSet;
    char destination[260];
    char alias[260];
    char fileName[260];
    uint32_t unpackedSize;
    uint8_t expandVariables;
    uint8_t executable;
    char condition[ConditionEvaluator::kTextSize];
};
