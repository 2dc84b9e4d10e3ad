#pragma once

#include <cstdint>

class PageCheck;

struct DialogInfo {
    char name[100];
    int32_t elementIndex;
    int32_t special;
    PageCheck* pageCheck;
    char condition[256];
};
