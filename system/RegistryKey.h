// Owner of an open registry key: closes it on every path out of the scope.
#pragma once

#include <windows.h>

class RegistryKey {
  public:
    RegistryKey() = default;
    ~RegistryKey() { reset(); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens root\path with the given access; true on success.
    bool open(HKEY root, const char* path, REGSAM access) {
        reset();
        return RegOpenKeyExA(root, path, 0, access, &key_) == ERROR_SUCCESS;
    }
    // Opens root\path, creating it when missing (a lasting key); true on success.
    bool create(HKEY root, const char* path, REGSAM access) {
        reset();
        return RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }
    void reset() {
        if (key_ != nullptr)
            RegCloseKey(key_);
        key_ = nullptr;
    }

  private:
    HKEY key_ = nullptr;
};
