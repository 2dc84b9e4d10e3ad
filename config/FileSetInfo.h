#pragma once

struct FileSetInfo {
    char name[100];
    char description[256];
    char condition[256];
};
