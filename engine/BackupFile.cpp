#include "engine/BackupFile.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr const char* kWhere = "BackupFile::addFile";
constexpr int kChunk = 32768;

ErrorList failure(const char* format, ...) KESTREL_PRINTF(1, 2);

ErrorList failure(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    boundedFormatV(text, sizeof text, format, args);
    va_end(args);
    return ErrorList::make(kWhere, -1, "%s", text);
}

bool writeAll(WinFile& file, const void* bytes, uint32_t count) {
    uint32_t written = 0;
    return file.write(bytes, count, &written) == 0 && written == count;
}

void putLittleEndian(unsigned char* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}
} // namespace

void BackupFile::openForWrite(const char* path) {
    close();
    mode_ = kWriting;
    error_ = 0;
    if (file_.openPath(path, fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty) != 0) {
        error_ = 1;
        return;
    }
    writeAll(file_, kHeader, static_cast<uint32_t>(std::strlen(kHeader) + 1));
}

bool BackupFile::isBackupFile(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr)
        return false;
    char line[512] = {};
    bool isBackup = std::fgets(line, sizeof line, file) != nullptr &&
                    std::strncmp(line, kHeader, std::strlen(kHeader)) == 0;
    std::fclose(file);
    return isBackup;
}

ErrorList BackupFile::addFile(const char* path, uint32_t installedCheckSum) {
    if (mode_ != kWriting)
        return ErrorList::make(kWhere, -1, "Not in write mode");
    if (error_ != 0)
        return ErrorList::make(kWhere, -1, "There is a previous error");
    // A backup file is never backed up into another one.
    if (isBackupFile(path))
        return ErrorList();
    int64_t entryStart = file_.position();
    ErrorList result = appendEntry(path, installedCheckSum);
    if (!result.empty()) {
        error_ = 1;
        // The next write (in practice the end entry) replaces the partial entry.
        file_.seekFromStart(static_cast<int32_t>(entryStart & 0xffffffff),
                            static_cast<int32_t>(entryStart >> 32));
    }
    return result;
}

ErrorList BackupFile::appendEntry(const char* path, uint32_t installedCheckSum) {
    size_t nameLength = std::strlen(path);
    // A cut name would restore the old content to a different file.
    if (nameLength > static_cast<size_t>(kMaxNameLength))
        return failure("File name too long (%i characters)", static_cast<int>(nameLength));
    unsigned char length[2];
    putLittleEndian(length, nameLength + 1, 2);
    if (!writeAll(file_, length, 2) ||
        !writeAll(file_, path, static_cast<uint32_t>(nameLength + 1)))
        return failure("Error writing file name");
    int64_t size = WinFile::sizeOfFile(path);
    if (size < 0)
        return failure("Error opening file");
    unsigned char sizeBytes[8];
    putLittleEndian(sizeBytes, static_cast<uint64_t>(size), 8);
    if (!writeAll(file_, sizeBytes, 8))
        return failure("Error writing file size");
    unsigned char sumBytes[4];
    putLittleEndian(sumBytes, installedCheckSum, 4);
    if (!writeAll(file_, sumBytes, 4))
        return failure("Error writing check sum");
    if (size == 0)
        return ErrorList();
    return copyContent(path, size);
}

ErrorList BackupFile::copyContent(const char* path, int64_t size) {
    WinFile source;
    if (source.openPath(path, fileaccess::kRead, fileaccess::kShareRead,
                        fileaccess::kOpenExisting) != 0)
        return failure("Error opening file");
    int64_t read = 0;
    int64_t written = 0;
    int result = copyStream(file_, source, size, &read, &written, kChunk);
    if (result != 0)
        return failure("Error copying stream (%i)", result);
    if (read != size || written != size)
        return failure("Copy stream mismatch: wanted %i bytes, read %i, written %i",
                       static_cast<int>(size), static_cast<int>(read), static_cast<int>(written));
    return ErrorList();
}

void BackupFile::close() {
    if (mode_ == kWriting && file_.isOpen()) {
        const unsigned char endEntry[3] = {1, 0, 0};
        writeAll(file_, endEntry, 3);
        // Whatever a failed last entry left behind the end entry is not part of the file.
        file_.truncate();
    }
    if (file_.isOpen())
        file_.close();
    mode_ = kClosed;
    error_ = 0;
}

int BackupFile::openForRead(const char* path) {
    close();
    mode_ = kReading;
    if (file_.openPath(path, fileaccess::kRead, fileaccess::kShareRead,
                       fileaccess::kOpenExisting) != 0) {
        mode_ = kClosed;
        return -1;
    }
    char header[64];
    uint32_t got = 0;
    file_.read(header, static_cast<uint32_t>(std::strlen(kHeader) + 1), &got);
    return 0;
}
