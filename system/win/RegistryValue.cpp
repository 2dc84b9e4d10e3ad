#include "system/RegistryValue.h"

#include <vector>

namespace {
bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

// The terminating zeros go; a zero inside would be lost on the way back.
bool takeText(const std::vector<char>& data, DWORD size, std::string& text) {
    while (size > 0 && data[size - 1] == '\0')
        --size;
    text.assign(data.data(), size);
    return text.find('\0') == std::string::npos;
}
} // namespace

RegistryValue RegistryValue::read(HKEY key, const char* name) {
    RegistryValue value;
    // The value may grow between asking its size and reading it; a few rounds settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG status = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return value;
        value.state = State::Unreadable;
        if (status != ERROR_SUCCESS || !isStringType(type) || size > kLargestText)
            return value;
        std::vector<char> data(size + 1);
        status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                  &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS || !isStringType(type) || size > data.size() ||
            !takeText(data, size, value.text))
            return value;
        value.state = State::Text;
        value.type = type;
        return value;
    }
    return value;
}

bool RegistryValue::writeText(HKEY key, const char* name, DWORD type, const std::string& text) {
    if (text.size() >= kLargestText)
        return false;
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryValue::writeNumber(HKEY key, const char* name, DWORD number) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                          sizeof number) == ERROR_SUCCESS;
}
