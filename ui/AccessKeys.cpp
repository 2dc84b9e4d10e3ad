#include "ui/AccessKeys.h"

#include "package/BoundedText.h"

#include <cctype>

namespace {
unsigned char lower(char c) {
    return static_cast<unsigned char>(std::tolower(static_cast<unsigned char>(c)));
}

bool isKeyCharacter(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u < 128 && std::isalnum(u);
}
} // namespace

char AccessKeys::markedKey(const char* caption) {
    for (const char* c = caption != nullptr ? caption : ""; *c != '\0'; ++c) {
        if (*c != '&')
            continue;
        if (c[1] == '&') {
            ++c;
            continue;
        }
        return c[1] != '\0' ? static_cast<char>(lower(c[1])) : 0;
    }
    return 0;
}

void AccessKeys::reserve(const char* caption) {
    char key = markedKey(caption);
    if (key != 0)
        taken_[static_cast<unsigned char>(key)] = true;
}

bool AccessKeys::assign(const char* label, char* out, int size) {
    if (label == nullptr)
        label = "";
    if (markedKey(label) != 0) {
        reserve(label);
        if (copyText(out, size, label))
            return true;
        out[0] = '\0';
        return false;
    }
    int at = -1;
    for (int i = 0; label[i] != '\0' && at < 0; ++i) {
        if (label[i] == '&' && label[i + 1] == '&')
            ++i;
        else if (isKeyCharacter(label[i]) && !taken_[lower(label[i])])
            at = i;
    }
    bool whole = at < 0 ? copyText(out, size, label)
                        : boundedFormat(out, size, "%.*s&%s", at, label, label + at) >= 0;
    if (!whole) {
        out[0] = '\0';
        return false;
    }
    if (at >= 0)
        taken_[lower(label[at])] = true;
    return true;
}
