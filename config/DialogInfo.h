#pragma once

#include "config/ConditionEvaluator.h"

#include <cstdint>

struct DialogInfo {
    char name[100];
    int32_t elementIndex;
    int32_t special;
    char condition[ConditionEvaluator::kTextSize];
};
