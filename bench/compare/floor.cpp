// The floor of an installation: the least a Windows program must do to put a payload's files
// on disk, with no wizard, records or backups. Reads the installer's payload (the packer's
// format: 64-byte header, then per entry a 608-byte record header and the zlib data) and writes
// every entry whose source name starts with PREFIX into DEST, under the rest of that name.
//   floor whole  INSTALLER OFFSET DEST PREFIX  read the payload whole, inflate each entry whole
//   floor stream INSTALLER OFFSET DEST PREFIX  map the payload, inflate through a fixed buffer
// Exit code 0 when every entry was written, 1 otherwise, 2 for a bad command line.
#include <windows.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
constexpr uint32_t kHeaderSize = 64, kRecordSize = 608, kTypeEntry = 0x63270010u,
                   kTypeEnd = 0x63270003u, kSourceNameAt = 32, kSourceNameSize = 300;
constexpr size_t kStreamBuffer = 256 * 1024;

uint32_t readWord(const unsigned char* bytes) {
    return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

bool fail(const char* what, const std::string& name) {
    std::fprintf(stderr, "floor: %s: %s (error %lu)\n", what, name.c_str(), GetLastError());
    return false;
}

// Makes the folders of `relative` below `dest` unless they were the last ones made.
bool makeFolders(const std::string& dest, const std::string& relative, std::string& lastMade) {
    size_t cut = relative.rfind('\\');
    std::string folder = cut == std::string::npos ? std::string() : relative.substr(0, cut);
    if (folder.empty() || folder == lastMade)
        return true;
    for (size_t at = folder.find('\\');; at = folder.find('\\', at + 1)) {
        std::string level = dest + "\\" + folder.substr(0, at);
        if (!CreateDirectoryA(level.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return fail("cannot make folder", level);
        if (at == std::string::npos)
            break;
    }
    lastMade = folder;
    return true;
}

bool writeAll(HANDLE file, const unsigned char* data, size_t length) {
    while (length > 0) {
        DWORD chunk = length > (1u << 30) ? (1u << 30) : static_cast<DWORD>(length), done = 0;
        if (!WriteFile(file, data, chunk, &done, nullptr) || done != chunk)
            return false;
        data += done;
        length -= done;
    }
    return true;
}

bool inflateWhole(const unsigned char* data, uint32_t compressed, uint32_t size, HANDLE file) {
    unsigned char* buffer = static_cast<unsigned char*>(std::malloc(size ? size : 1));
    uLongf produced = size;
    bool ok = buffer != nullptr && uncompress(buffer, &produced, data, compressed) == Z_OK &&
              produced == size && writeAll(file, buffer, produced);
    std::free(buffer);
    return ok;
}

bool inflateStreaming(z_stream& stream, const unsigned char* data, uint32_t compressed,
                      uint32_t size, HANDLE file) {
    static unsigned char buffer[kStreamBuffer];
    if (inflateReset(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<unsigned char*>(data);
    stream.avail_in = compressed;
    uint64_t written = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        stream.next_out = buffer;
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            return false;
        size_t produced = sizeof buffer - stream.avail_out;
        if (!writeAll(file, buffer, produced))
            return false;
        written += produced;
        if (status == Z_OK && produced == 0 && stream.avail_in == 0)
            return false; // the data ended before its stream did
    }
    return written == size;
}

struct Payload {
    const unsigned char* data;
    uint64_t length;
};

bool installEntries(const Payload& payload, bool streaming, const std::string& dest,
                    const std::string& prefix) {
    z_stream stream{};
    if (streaming && inflateInit(&stream) != Z_OK)
        return fail("cannot start zlib", dest);
    std::string lastMade;
    uint64_t at = kHeaderSize;
    bool ok = true;
    for (;;) {
        if (payload.length - at < kRecordSize)
            return fail("payload ends inside a record", dest);
        const unsigned char* record = payload.data + at;
        uint32_t type = readWord(record), size = readWord(record + 4),
                 compressed = readWord(record + 8);
        if (type == kTypeEnd)
            break;
        if (type != kTypeEntry || compressed > payload.length - at - kRecordSize)
            return fail("damaged record", dest);
        std::string source(
            reinterpret_cast<const char*>(record + kSourceNameAt),
            strnlen(reinterpret_cast<const char*>(record + kSourceNameAt), kSourceNameSize));
        for (char& c : source)
            c = c == '/' ? '\\' : c;
        const unsigned char* data = record + kRecordSize;
        at += kRecordSize + compressed;
        if (source.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string relative = source.substr(prefix.size()), path = dest + "\\" + relative;
        if (!makeFolders(dest, relative, lastMade))
            return false;
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return fail("cannot create", path);
        bool written = streaming ? inflateStreaming(stream, data, compressed, size, file)
                                 : inflateWhole(data, compressed, size, file);
        if (!CloseHandle(file) || !written)
            ok = fail("cannot write", path);
    }
    if (streaming)
        inflateEnd(&stream);
    return ok;
}

bool runWhole(const char* installer, uint64_t offset, const std::string& dest,
              const std::string& prefix) {
    HANDLE file = CreateFileA(installer, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{}, start{};
    start.QuadPart = static_cast<LONGLONG>(offset);
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) ||
        static_cast<uint64_t>(size.QuadPart) < offset ||
        !SetFilePointerEx(file, start, nullptr, FILE_BEGIN))
        return fail("cannot open", installer);
    std::vector<unsigned char> bytes(static_cast<size_t>(size.QuadPart - start.QuadPart));
    for (size_t done = 0; done < bytes.size();) {
        DWORD chunk =
            bytes.size() - done > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size() - done);
        DWORD read = 0;
        if (!ReadFile(file, bytes.data() + done, chunk, &read, nullptr) || read == 0)
            return fail("cannot read", installer);
        done += read;
    }
    CloseHandle(file);
    return installEntries({bytes.data(), bytes.size()}, false, dest, prefix);
}

bool runStreaming(const char* installer, uint64_t offset, const std::string& dest,
                  const std::string& prefix) {
    HANDLE file = CreateFileA(installer, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size) ||
        static_cast<uint64_t>(size.QuadPart) < offset)
        return fail("cannot open", installer);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const unsigned char* view =
        mapping ? static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))
                : nullptr;
    if (view == nullptr)
        return fail("cannot map", installer);
    bool ok = installEntries({view + offset, static_cast<uint64_t>(size.QuadPart) - offset}, true,
                             dest, prefix);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 6 || (std::strcmp(argv[1], "whole") != 0 && std::strcmp(argv[1], "stream") != 0)) {
        std::fprintf(stderr, "usage: floor whole|stream INSTALLER OFFSET DEST PREFIX\n");
        return 2;
    }
    uint64_t offset = std::strtoull(argv[3], nullptr, 10);
    std::string dest = argv[4], prefix = argv[5];
    if (!CreateDirectoryA(dest.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        fail("cannot make folder", dest);
        return 1;
    }
    bool ok = std::strcmp(argv[1], "whole") == 0 ? runWhole(argv[2], offset, dest, prefix)
                                                 : runStreaming(argv[2], offset, dest, prefix);
    return ok ? 0 : 1;
}
