#pragma once

#include "config/ConditionEvaluator.h"

#include <cstdint>

constexpr int FIELD_DIRECTORY = 30;
constexpr int FIELD_CHECKBOX = 31;
constexpr int FIELD_RADIOBUTTONS = 32;

struct FieldInfo {
    char label[100];
    char variable[100];
    int32_t type;
    int32_t page;
    int32_t x;
    int32_t y;
    char content[512];
    char condition[ConditionEvaluator::kTextSize];
};
