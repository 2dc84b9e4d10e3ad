#include "engine/BackupFile.h"

#include "package/FileCheck.h"
#include "package/Paths.h"
#include "package/TextEncoding.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
constexpr const char* kWhere = "BackupFile::addFile";
constexpr uint32_t kChunk = 65536;
// Header text, its zero byte and the 32-bit format version.
const int64_t kHeaderSize = static_cast<int64_t>(std::strlen(BackupFile::kHeader)) + 1 + 4;
// Version 2 had no code page behind the version; it is still read.
constexpr uint32_t kVersionWithoutCodePage = 2;
// Behind the name: previous size, installed check, saved check.
constexpr int kNumbersSize = 8 + 4 + 4;

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

bool readAll(WinFile& file, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return file.read(buffer, count, &got) == 0 && got == count;
}

void putLittleEndian(unsigned char* out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint64_t getLittleEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

bool seekTo(WinFile& file, int64_t position) {
    return file.seekFromStart(static_cast<int32_t>(position & 0xffffffff),
                              static_cast<int32_t>(position >> 32));
}
} // namespace

void BackupFile::openForWrite(const char* path) {
    close();
    writing_ = true;
    failed_ = false;
    if (file_.openPath(path, fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty) != 0) {
        failed_ = true;
        return;
    }
    unsigned char numbers[8];
    putLittleEndian(numbers, kFormatVersion, 4);
    putLittleEndian(numbers + 4, TextEncoding::processCodePage(), 4);
    if (!writeAll(file_, kHeader, static_cast<uint32_t>(std::strlen(kHeader) + 1)) ||
        !writeAll(file_, numbers, 8))
        failed_ = true;
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

ErrorList BackupFile::addFile(const char* path, uint32_t installedCheck) {
    if (!writing_)
        return ErrorList::make(kWhere, -1, "Not in write mode");
    if (failed_)
        return ErrorList::make(kWhere, -1, "There is a previous error");
    // A backup file is never backed up into another one.
    if (isBackupFile(path))
        return ErrorList();
    int64_t entryStart = file_.position();
    ErrorList result = appendEntry(path, installedCheck);
    if (!result.empty()) {
        failed_ = true;
        // The next write (in practice the end entry) replaces the partial entry.
        seekTo(file_, entryStart);
    }
    return result;
}

ErrorList BackupFile::appendEntry(const char* path, uint32_t installedCheck) {
    size_t nameLength = std::strlen(path);
    // A cut name would restore the old content to a different file.
    if (nameLength > static_cast<size_t>(kMaxNameLength))
        return failure("File name too long (%i bytes, at most %i)", static_cast<int>(nameLength),
                       kMaxNameLength);
    unsigned char length[2];
    putLittleEndian(length, nameLength + 1, 2);
    if (!writeAll(file_, length, 2) ||
        !writeAll(file_, path, static_cast<uint32_t>(nameLength + 1)))
        return failure("Error writing file name");
    int64_t size = WinFile::sizeOfFile(path);
    if (size < 0)
        return failure("Error opening file");
    unsigned char numbers[kNumbersSize] = {};
    putLittleEndian(numbers, static_cast<uint64_t>(size), 8);
    putLittleEndian(numbers + 8, installedCheck, 4);
    int64_t numbersAt = file_.position();
    if (!writeAll(file_, numbers, kNumbersSize))
        return failure("Error writing file size");
    uint32_t savedCheck = 0;
    if (size > 0) {
        ErrorList copied = copyContent(path, size, &savedCheck);
        if (!copied.empty())
            return copied;
    }
    // The saved bytes' own check is known only once they are copied.
    int64_t entryEnd = file_.position();
    putLittleEndian(numbers + 12, savedCheck, 4);
    if (!seekTo(file_, numbersAt + 12) || !writeAll(file_, numbers + 12, 4) ||
        !seekTo(file_, entryEnd))
        return failure("Error writing check sum");
    return ErrorList();
}

ErrorList BackupFile::copyContent(const char* path, int64_t size, uint32_t* savedCheck) {
    WinFile source;
    if (source.openPath(path, fileaccess::kRead, fileaccess::kShareRead,
                        fileaccess::kOpenExisting) != 0)
        return failure("Error opening file");
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunk]);
    int64_t read = 0;
    int64_t written = 0;
    while (read < size) {
        uint32_t want = size - read < kChunk ? static_cast<uint32_t>(size - read) : kChunk;
        uint32_t got = 0;
        int error = source.read(chunk.get(), want, &got);
        if (error != 0)
            return failure("Error copying stream (%i)", error);
        if (got == 0)
            break;
        read += got;
        *savedCheck = FileCheck::update(*savedCheck, chunk.get(), got);
        uint32_t put = 0;
        error = file_.write(chunk.get(), got, &put);
        written += put;
        if (error != 0)
            return failure("Error copying stream (%i)", error);
        if (put != got)
            break;
    }
    if (read != size || written != size)
        return failure("Copy stream mismatch: wanted %lld bytes, read %lld, written %lld",
                       static_cast<long long>(size), static_cast<long long>(read),
                       static_cast<long long>(written));
    return ErrorList();
}

void BackupFile::close() {
    if (writing_ && file_.isOpen()) {
        const unsigned char endEntry[3] = {1, 0, 0};
        writeAll(file_, endEntry, 3);
        // Whatever a failed last entry left behind the end entry is not part of the file.
        file_.truncate();
    }
    if (file_.isOpen())
        file_.close();
    writing_ = false;
    failed_ = false;
}

BackupFile::Opened BackupFile::openForRead(const char* path) {
    close();
    int error =
        file_.openPath(path, fileaccess::kRead, fileaccess::kShareRead, fileaccess::kOpenExisting);
    if (error != 0)
        return FileCheck::meansMissing(error) ? Opened::kMissing : Opened::kUnreadable;
    size_t textLength = std::strlen(kHeader);
    char header[64] = {};
    unsigned char numbers[4];
    if (!readAll(file_, header, static_cast<uint32_t>(textLength + 1)) ||
        std::memcmp(header, kHeader, textLength + 1) != 0 || !readAll(file_, numbers, 4)) {
        file_.close();
        return Opened::kNotABackup;
    }
    uint64_t version = getLittleEndian(numbers, 4);
    entriesStart_ = kHeaderSize;
    nameCodePage_ = TextEncoding::systemAnsiCodePage();
    if (version == kFormatVersion && readAll(file_, numbers, 4)) {
        entriesStart_ += 4;
        nameCodePage_ = static_cast<unsigned>(getLittleEndian(numbers, 4));
    } else if (version != kVersionWithoutCodePage) {
        file_.close();
        return Opened::kNotABackup;
    }
    return Opened::kOk;
}

bool BackupFile::readEntries(std::vector<Entry>& entries) {
    int64_t end = file_.size();
    if (!file_.isOpen() || !seekTo(file_, entriesStart_))
        return false;
    for (;;) {
        unsigned char length[2];
        if (!readAll(file_, length, 2))
            return false;
        uint32_t nameLength = static_cast<uint32_t>(getLittleEndian(length, 2));
        if (nameLength == 1) {
            char zero = 1;
            return readAll(file_, &zero, 1) && zero == '\0';
        }
        char name[kMaxNameLength + 2];
        unsigned char numbers[kNumbersSize];
        if (nameLength == 0 || nameLength > kMaxNameLength + 1 ||
            !readAll(file_, name, nameLength) || name[nameLength - 1] != '\0' ||
            !readAll(file_, numbers, kNumbersSize))
            return false;
        Entry entry{name, static_cast<int64_t>(getLittleEndian(numbers, 8)),
                    static_cast<uint32_t>(getLittleEndian(numbers + 8, 4)),
                    static_cast<uint32_t>(getLittleEndian(numbers + 12, 4)), file_.position()};
        // An entry whose data runs past the file's end, or that names no whole path, is damaged:
        // restoring it would write a cut content or somewhere unintended.
        if (entry.size < 0 || entry.size > end - entry.dataOffset ||
            entry.name.size() != nameLength - 1 ||
            !TextEncoding::intoProcessCodePage(entry.name, nameCodePage_) ||
            !isFullPath(entry.name.c_str()) || !seekTo(file_, entry.dataOffset + entry.size))
            return false;
        entries.push_back(entry);
    }
}

template <typename Sink> bool BackupFile::readData(const Entry& entry, Sink sink) {
    if (!seekTo(file_, entry.dataOffset))
        return false;
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunk]);
    uint32_t check = 0;
    for (int64_t left = entry.size; left > 0;) {
        uint32_t want = left < kChunk ? static_cast<uint32_t>(left) : kChunk;
        if (!readAll(file_, chunk.get(), want))
            return false;
        check = FileCheck::update(check, chunk.get(), want);
        if (!sink(chunk.get(), want))
            return false;
        left -= want;
    }
    return check == entry.savedCheck;
}

bool BackupFile::verify(const Entry& entry) {
    return readData(entry, [](const unsigned char*, uint32_t) { return true; });
}

bool BackupFile::copyOut(const Entry& entry, WinFile& target) {
    return readData(entry, [&target](const unsigned char* bytes, uint32_t count) {
        return writeAll(target, bytes, count);
    });
}
