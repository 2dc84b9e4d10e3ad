#include "system/RegistryValue.h"

#include <vector>

namespace {
bool isStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

std::wstring widen(const std::string& text) {
    int length = static_cast<int>(text.size());
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(size), L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, text.data(), length, &wide[0], size);
    return wide;
}

// The text in the code page of the engine's narrow texts; false when a character has no
// place there: written back, it would come out as something else.
bool narrow(const std::wstring& wide, std::string& text) {
    int length = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    text.assign(static_cast<size_t>(size), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), length, &text[0], size, nullptr, nullptr);
    return widen(text) == wide;
}

// The terminating zeros go; a zero inside would be lost on the way back.
bool takeText(const std::vector<wchar_t>& data, DWORD bytes, std::string& text) {
    size_t length = bytes / sizeof(wchar_t);
    while (length > 0 && data[length - 1] == L'\0')
        --length;
    std::wstring wide(data.data(), length);
    return wide.find(L'\0') == std::wstring::npos && narrow(wide, text);
}
} // namespace

RegistryValue RegistryValue::read(HKEY key, const char* name) {
    RegistryValue value;
    // Read as the registry keeps it, so that a character the narrow text cannot hold is seen.
    std::wstring wideName = widen(name != nullptr ? name : "");
    // The value may grow between asking its size and reading it; a few rounds settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD type = REG_NONE;
        DWORD size = 0;
        LONG status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND)
            return value;
        value.state = State::Unreadable;
        if (status != ERROR_SUCCESS || !isStringType(type) || size > 2 * kLargestText)
            return value;
        std::vector<wchar_t> data(size / sizeof(wchar_t) + 1);
        status = RegQueryValueExW(key, wideName.c_str(), nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status == ERROR_MORE_DATA)
            continue;
        if (status != ERROR_SUCCESS || !isStringType(type) ||
            size > data.size() * sizeof(wchar_t) || !takeText(data, size, value.text))
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
