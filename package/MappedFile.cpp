#include "package/MappedFile.h"

int MappedFile::open(const char* path) {
    close();
    if (file_.openPath(path, fileaccess::kRead, fileaccess::kShareRead,
                       fileaccess::kOpenExisting) != 0)
        return -1;
    size_ = file_.size();
    // An empty file cannot be mapped, and has no bytes to map.
    if (size_ < 0 || (size_ > 0 && !createMapping())) {
        close();
        return -1;
    }
    return 0;
}

void MappedFile::close() {
    unmapWindow();
    closeMapping();
    if (file_.isOpen())
        file_.close();
    size_ = 0;
}

const unsigned char* MappedFile::bytes(int64_t offset, uint32_t count) {
    if (offset < 0 || offset > size_ || count > size_ - offset)
        return nullptr;
    static const unsigned char kNothing[1] = {0};
    if (count == 0)
        return kNothing;
    int64_t end = offset + count;
    if (window_ == nullptr || offset < windowStart_ ||
        end > windowStart_ + static_cast<int64_t>(windowLength_)) {
        unmapWindow();
        // Windows at fixed boundaries serve a walk in either direction with few mappings.
        int64_t start = offset / kWindowSize * kWindowSize;
        int64_t length = end - start > kWindowSize ? end - start : kWindowSize;
        if (length > size_ - start)
            length = size_ - start;
        window_ = mapWindow(start, static_cast<size_t>(length));
        if (window_ == nullptr)
            return nullptr;
        windowStart_ = start;
        windowLength_ = static_cast<size_t>(length);
    }
    return window_ + (offset - windowStart_);
}
