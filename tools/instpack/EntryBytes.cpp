#include "tools/instpack/EntryBytes.h"

#include <cstring>
#include <utility>

EntryBytes::EntryBytes(EntryBytes&& other) noexcept
    : held_(std::move(other.held_)), mapped_(other.mapped_), mappedSize_(other.mappedSize_) {
    other.mapped_ = nullptr;
    other.mappedSize_ = 0;
}

EntryBytes& EntryBytes::operator=(EntryBytes&& other) noexcept {
    if (this != &other) {
        release();
        held_ = std::move(other.held_);
        std::swap(mapped_, other.mapped_);
        std::swap(mappedSize_, other.mappedSize_);
    }
    return *this;
}

void EntryBytes::release() {
    if (mapped_ != nullptr)
        HostFiles::unmapFile(mapped_, mappedSize_);
    mapped_ = nullptr;
    mappedSize_ = 0;
    held_.clear();
}

bool EntryBytes::load(const std::string& path, uint64_t expectedSize, std::string& error) {
    release();
    if (expectedSize >= kMapFrom)
        return HostFiles::mapFile(path, mapped_, mappedSize_, error);
    return HostFiles::readFile(path, held_, error);
}

bool EntryBytes::operator==(const EntryBytes& other) const {
    return size() == other.size() &&
           (size() == 0 || std::memcmp(data(), other.data(), size()) == 0);
}
