#include "package/TextPool.h"

#include <cstring>
#include <new>

const char* TextPool::keep(const char* text, size_t length) {
    size_t needed = length + 1;
    char* place = nullptr;
    if (needed > kBlockSize / 4) {
        // A long text gets a block of its own, so that the shared block keeps its room.
        std::unique_ptr<char[]> own(new (std::nothrow) char[needed]);
        if (!own)
            return nullptr;
        place = own.get();
        blocks_.insert(blocks_.end() - (blocks_.empty() ? 0 : 1), std::move(own));
    } else {
        if (kBlockSize - used_ < needed) {
            std::unique_ptr<char[]> block(new (std::nothrow) char[kBlockSize]);
            if (!block)
                return nullptr;
            blocks_.push_back(std::move(block));
            used_ = 0;
        }
        place = blocks_.back().get() + used_;
        used_ += needed;
    }
    std::memcpy(place, text, length);
    place[length] = '\0';
    return place;
}

void TextPool::clear() {
    blocks_.clear();
    used_ = kBlockSize;
}
