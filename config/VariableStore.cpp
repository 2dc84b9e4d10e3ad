#include "config/VariableStore.h"

#include "package/BoundedText.h"
#include "package/Paths.h"

#include <cstring>

int VariableStore::get(const char* name, char* out, int size) const {
    if (name == nullptr)
        return -1;
    for (int i = variables_.count() - 1; i >= 0; --i) {
        if (std::strcmp(variables_[i].name, name) != 0)
            continue;
        if (out != nullptr && size > 0) {
            std::memset(out, 0, static_cast<size_t>(size));
            copyText(out, size, variables_[i].value);
        }
        return i;
    }
    return -1;
}

VariableStore::SetResult VariableStore::set(const char* name, const char* value) {
    if (name == nullptr)
        return SetResult::kTooLong;
    if (value == nullptr)
        value = "";
    // A name is a field of its action-log line: a TAB would split it; a value is the line's last
    // field and may hold one.
    if (std::strpbrk(name, "\t\r\n") != nullptr || std::strpbrk(value, "\r\n") != nullptr)
        return SetResult::kLineBreak;
    Variable variable;
    std::memset(&variable, 0, sizeof variable);
    if (!copyText(variable.name, sizeof variable.name, name) ||
        !copyText(variable.value, sizeof variable.value, value))
        return SetResult::kTooLong;
    collapseSeparators(variable.value);
    int index = get(name, nullptr, 0);
    if (index >= 0) {
        variables_[index] = variable;
        return SetResult::kSet;
    }
    return variables_.append(variable) ? SetResult::kSet : SetResult::kTooLong;
}

VariableStore::Expansion VariableStore::expand(const char* text, char* out, int size) const {
    if (out == nullptr || size <= 0)
        return Expansion::kTooLong;
    out[0] = '\0';
    if (text == nullptr)
        return Expansion::kExpanded;
    int used = 0;
    while (*text != '\0') {
        if (*text != '[') {
            if (used == size - 1)
                return Expansion::kTooLong;
            out[used++] = *text++;
            out[used] = '\0';
            continue;
        }
        const char* nameStart = text + 1;
        size_t nameLength = std::strcspn(nameStart, "]");
        // A longer name is never cut for the lookup: the cut name could be another variable.
        if (nameLength > static_cast<size_t>(kReferenceNameLimit))
            return Expansion::kUndefined;
        char name[kReferenceNameLimit + 1];
        copyTextPiece(name, sizeof name, nameStart, static_cast<int>(nameLength));
        int index = get(name, nullptr, 0);
        if (index < 0)
            return Expansion::kUndefined;
        if (!appendText(out + used, size - used, variables_[index].value))
            return Expansion::kTooLong;
        used += static_cast<int>(std::strlen(out + used));
        text = nameStart + nameLength;
        if (*text == ']')
            ++text;
    }
    return Expansion::kExpanded;
}

std::string VariableStore::expandKnown(const char* text, size_t length) const {
    std::string result;
    const char* end = text + length;
    while (text < end) {
        const char* close =
            *text == '[' ? static_cast<const char*>(std::memchr(text + 1, ']', end - text - 1))
                         : nullptr;
        size_t nameLength = close != nullptr ? static_cast<size_t>(close - text - 1) : 0;
        char name[kReferenceNameLimit + 1];
        int index = -1;
        if (close != nullptr && nameLength <= static_cast<size_t>(kReferenceNameLimit) &&
            std::memchr(text + 1, '\0', nameLength) == nullptr &&
            copyTextPiece(name, sizeof name, text + 1, static_cast<int>(nameLength)))
            index = get(name, nullptr, 0);
        if (index < 0) {
            result += *text++;
            continue;
        }
        result += variables_[index].value;
        text = close + 1;
    }
    return result;
}
