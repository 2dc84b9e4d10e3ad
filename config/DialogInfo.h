#pragma once

#include "config/ConditionEvaluator.h"

#include <cstdint>

class PageCheck;

struct DialogInfo {
    char name[100];
    int32_t elementIndex;
    int32_t special;
    PageCheck* pageCheck;
    char condition[ConditionEvaluator::kTextSize];
};
