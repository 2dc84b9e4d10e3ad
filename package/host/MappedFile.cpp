#include "package/MappedFile.h"

#include <sys/mman.h>

bool MappedFile::createMapping() {
    // The descriptor serves every window.
    return true;
}

void MappedFile::closeMapping() {}

const unsigned char* MappedFile::mapWindow(int64_t start, size_t length) {
    void* view = ::mmap(nullptr, length, PROT_READ, MAP_SHARED,
                        static_cast<int>(file_.nativeHandle()), static_cast<off_t>(start));
    return view == MAP_FAILED ? nullptr : static_cast<const unsigned char*>(view);
}

void MappedFile::unmapWindow() {
    if (window_ != nullptr)
        ::munmap(const_cast<unsigned char*>(window_), windowLength_);
    window_ = nullptr;
    windowLength_ = 0;
}
