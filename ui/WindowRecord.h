#pragma once

#include <windows.h>

// One element window of the page on screen; the name finds it for the progress operations.
struct WindowRecord {
    int page;
    HWND window; // null when the element could not be shown
    char name[100];
};
