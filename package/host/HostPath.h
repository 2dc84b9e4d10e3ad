// The native build stands in for Windows, where a backslash separates path components as a
// slash does. The host file calls therefore see every backslash as a slash.
#pragma once

#include "package/BoundedText.h"

// Copies path into out[size] with each backslash turned into a slash. False (out then names no
// file) when the path does not fit: a cut path would name a different file.
inline bool toHostPath(const char* path, char* out, int size) {
    if (!copyText(out, size, path)) {
        out[0] = '\0';
        return false;
    }
    for (char* c = out; *c != '\0'; ++c) {
        if (*c == '\\')
            *c = '/';
    }
    return true;
}
