#include "package/MappedFile.h"

#include <windows.h>

bool MappedFile::createMapping() {
    HANDLE mapping = CreateFileMappingA(reinterpret_cast<HANDLE>(file_.nativeHandle()), nullptr,
                                        PAGE_READONLY, 0, 0, nullptr);
    mapping_ = reinterpret_cast<intptr_t>(mapping);
    return mapping != nullptr;
}

void MappedFile::closeMapping() {
    if (mapping_ != 0)
        CloseHandle(reinterpret_cast<HANDLE>(mapping_));
    mapping_ = 0;
}

const unsigned char* MappedFile::mapWindow(int64_t start, size_t length) {
    void* view = MapViewOfFile(reinterpret_cast<HANDLE>(mapping_), FILE_MAP_READ,
                               static_cast<DWORD>(static_cast<uint64_t>(start) >> 32),
                               static_cast<DWORD>(start & 0xffffffff), length);
    return static_cast<const unsigned char*>(view);
}

void MappedFile::unmapWindow() {
    if (window_ != nullptr)
        UnmapViewOfFile(window_);
    window_ = nullptr;
    windowLength_ = 0;
}
