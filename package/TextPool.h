// Texts kept for as long as their owner lives, packed into shared blocks: records that name
// many short texts hold pointers into the pool instead of each reserving room for the longest
// text allowed. Pointers stay valid until clear().
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

class TextPool {
  public:
    // A terminated copy of the first `length` bytes of `text`; null when memory runs out.
    const char* keep(const char* text, size_t length);
    void clear();

  private:
    static constexpr size_t kBlockSize = 65536;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = kBlockSize;
};
