#pragma once

#include "config/ConditionEvaluator.h"

struct FileSetInfo {
    char name[100];
    char description[256];
    char condition[ConditionEvaluator::kTextSize];
};
