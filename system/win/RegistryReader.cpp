#include "system/RegistryReader.h"

#include "package/BoundedText.h"
#include "system/RegistryKey.h"

#include <cstring>
#include <memory>
#include <new>
#include <strings.h>

namespace {
HKEY predefinedKey(const char* hive) {
    static const struct {
        const char* name;
        HKEY key;
    } kHives[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                  {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                  {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                  {"HKEY_USERS", HKEY_USERS}};
    for (const auto& entry : kHives) {
        if (strcasecmp(hive, entry.name) == 0)
            return entry.key;
    }
    return nullptr;
}

// Turns the raw value into text in out[size]; false when it is not text or does not fit.
bool valueAsText(DWORD type, const char* data, DWORD length, char* out, int size) {
    switch (type) {
    case REG_SZ:
    case REG_MULTI_SZ: // the first string
        return copyText(out, size, data);
    case REG_EXPAND_SZ: {
        DWORD needed = ExpandEnvironmentStringsA(data, out, static_cast<DWORD>(size));
        return needed != 0 && needed <= static_cast<DWORD>(size);
    }
    case REG_DWORD: {
        uint32_t number = 0;
        if (length < sizeof number)
            return false;
        std::memcpy(&number, data, sizeof number);
        return boundedFormat(out, size, "%u", number) >= 0;
    }
    case REG_QWORD: {
        unsigned long long number = 0;
        if (length < sizeof number)
            return false;
        std::memcpy(&number, data, sizeof number);
        return boundedFormat(out, size, "%llu", number) >= 0;
    }
    default:
        return false;
    }
}
} // namespace

bool RegistryReader::readText(const char* hive, const char* keyPath, const char* valueName,
                              char* out, int size) {
    if (out == nullptr || size <= 0 || hive == nullptr || keyPath == nullptr)
        return false;
    out[0] = '\0';
    HKEY root = predefinedKey(hive);
    char path[1024];
    if (root == nullptr || !copyText(path, sizeof path, keyPath))
        return false;
    for (char* c = path; *c != '\0'; ++c) {
        if (*c == '/')
            *c = '\\';
    }
    RegistryKey key;
    if (!key.open(root, path, KEY_READ))
        return false;
    // Two zero bytes behind the data, so that a string stored without its terminator (or a
    // multi-string without its final one) still ends inside the buffer.
    std::unique_ptr<char[]> data(new (std::nothrow) char[kDataSize + 2]);
    if (!data)
        return false;
    DWORD type = 0;
    DWORD length = kDataSize;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(data.get()),
                         &length) != ERROR_SUCCESS)
        return false;
    data[length] = '\0';
    data[length + 1] = '\0';
    return valueAsText(type, data.get(), length, out, size);
}
