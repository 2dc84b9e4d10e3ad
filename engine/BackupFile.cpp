#include "engine/BackupFile.h"

#include "engine/CheckSum.h"
#include "package/Log.h"
#include "package/Paths.h"
#include "ui/InstallerUI.h"

#include <cstdio>
#include <cstring>
#include <memory>

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

uint64_t getLittleEndian(const unsigned char* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

bool readAll(WinFile& file, void* buffer, uint32_t count) {
    uint32_t got = 0;
    return file.read(buffer, count, &got) == 0 && got == count;
}

bool seekTo(WinFile& file, int64_t position) {
    return file.seekFromStart(static_cast<int32_t>(position & 0xffffffff),
                              static_cast<int32_t>(position >> 32)) == 0;
}

// The check sum of the file as it is now; 0 when it cannot be read (a deleted file).
uint32_t currentCheckSum(const char* path) {
    WinFile file;
    if (file.openPath(path, fileaccess::kRead, fileaccess::kShareRead, fileaccess::kOpenExisting) !=
        0)
        return 0;
    int64_t size = file.size();
    uint32_t sum = static_cast<uint32_t>(size);
    std::unique_ptr<unsigned char[]> chunk(new unsigned char[kChunk]);
    for (int64_t left = size; left > 0;) {
        uint32_t want = left < kChunk ? static_cast<uint32_t>(left) : kChunk;
        uint32_t got = 0;
        if (file.read(chunk.get(), want, &got) != 0 || got == 0)
            break;
        sum = checkSum(sum, chunk.get(), got);
        left -= got;
    }
    return sum;
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

bool BackupFile::readEntries(std::vector<Entry>& entries) {
    int64_t end = file_.size();
    if (!seekTo(file_, static_cast<int64_t>(std::strlen(kHeader) + 1)))
        return false;
    for (;;) {
        unsigned char length[2];
        if (!readAll(file_, length, 2))
            return false;
        uint32_t nameLength = static_cast<uint32_t>(getLittleEndian(length, 2));
        if (nameLength == 1)
            return true;
        char name[kMaxNameLength + 2];
        unsigned char numbers[12];
        if (nameLength == 0 || nameLength > kMaxNameLength + 1 ||
            !readAll(file_, name, nameLength) || name[nameLength - 1] != '\0' ||
            !readAll(file_, numbers, 12))
            return false;
        Entry entry{name, static_cast<int64_t>(getLittleEndian(numbers, 8)),
                    static_cast<uint32_t>(getLittleEndian(numbers + 8, 4)), file_.position()};
        // An entry whose data runs past the file's end, or that names no whole path, is damaged:
        // restoring it would write a cut content or somewhere unintended.
        if (entry.size < 0 || entry.size > end - entry.dataOffset ||
            entry.name.size() != nameLength - 1 || !isFullPath(entry.name.c_str()) ||
            !seekTo(file_, entry.dataOffset + entry.size))
            return false;
        entries.push_back(entry);
    }
}

bool BackupFile::restoreEntry(const Entry& entry) {
    WinFile target;
    if (!seekTo(file_, entry.dataOffset) ||
        target.openPath(entry.name.c_str(), fileaccess::kWrite, 0, fileaccess::kCreateOrEmpty) != 0)
        return false;
    int64_t read = 0;
    int64_t written = 0;
    bool whole =
        entry.size == 0 || (copyStream(target, file_, entry.size, &read, &written, kChunk) == 0 &&
                            read == entry.size && written == entry.size);
    return target.close() == 0 && whole;
}

BackupFile::Restored BackupFile::restoreFiles(InstallerUI* ui, Log* stepLog) {
    Restored restored;
    std::vector<Entry> entries;
    if (mode_ != kReading)
        restored.complete = false;
    else
        restored.complete = readEntries(entries);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
        if (ui != nullptr)
            ui->processEvents(0, 0, 0, 0);
        const char* verb = "Left ";
        if (currentCheckSum(entry->name.c_str()) != entry->sum) {
            ++restored.left;
            logMessage(stepLog, "Saved check sum different than existing one for %s; skipping",
                       entry->name.c_str());
        } else if (restoreEntry(*entry)) {
            ++restored.restored;
            verb = "Restore ";
            logMessage(stepLog, "Restored %s", entry->name.c_str());
        } else {
            ++restored.failed;
            verb = "FAILED to restore ";
            logMessage(stepLog, "Could not restore %s", entry->name.c_str());
        }
        if (ui != nullptr) {
            char line[512];
            boundedFormat(line, sizeof line, "%s%s", verb, entry->name.c_str());
            ui->reportLine(0, 0, line, 0, 0);
        }
    }
    if (!restored.complete)
        logMessage(stepLog, "The backup file could not be read to its end");
    return restored;
}
