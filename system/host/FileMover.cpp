// The native build's move: rename within one file system, else copy and remove, as the
// Windows move does with copying allowed.
#include "system/FileMover.h"

#include "package/host/HostPath.h"

#include <cerrno>
#include <cstdio>

namespace {
bool copyContent(const char* from, const char* to) {
    std::FILE* source = std::fopen(from, "rb");
    if (source == nullptr)
        return false;
    std::FILE* target = std::fopen(to, "wb");
    bool whole = target != nullptr;
    char chunk[32768];
    while (whole) {
        size_t got = std::fread(chunk, 1, sizeof chunk, source);
        if (got > 0 && std::fwrite(chunk, 1, got, target) != got)
            whole = false;
        if (got < sizeof chunk) {
            whole = whole && !std::ferror(source);
            break;
        }
    }
    std::fclose(source);
    if (target != nullptr && std::fclose(target) != 0)
        whole = false;
    if (!whole && target != nullptr)
        std::remove(to);
    return whole;
}
} // namespace

bool FileMover::move(const char* from, const char* to) {
    char source[1024];
    char target[1024];
    if (!toHostPath(from, source, sizeof source) || !toHostPath(to, target, sizeof target))
        return false;
    if (std::rename(source, target) == 0)
        return true;
    if (errno != EXDEV || !copyContent(source, target))
        return false;
    return std::remove(source) == 0;
}
