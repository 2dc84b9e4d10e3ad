// The installer object's package operations: reading and indexing the payload, and unpacking
// its entries by name. The reader trusts nothing in the file: every header and every data
// range is checked against the payload's end before it is used.
#include "startup/Installer.h"

#include "package/PayloadFormat.h"
#include "package/WinFile.h"

#include <cstring>
#include <new>
#include <zlib.h>

namespace {
int checkMagicWords(const unsigned char* data, uint32_t length) {
    const uint32_t expected[3] = {payload::kMagic1, payload::kMagic2, payload::kMagic3};
    const int failure[3] = {payload::kBadMagic1, payload::kBadMagic2, payload::kBadMagic3};
    for (int i = 0; i < 3; ++i) {
        uint32_t at = static_cast<uint32_t>(i) * 4;
        if (length < at + 4 || payload::readLittleEndian32(data + at) != expected[i])
            return failure[i];
    }
    return payload::kOk;
}

bool nameIsTerminated(const PayloadRecordHeader& header) {
    return std::memchr(header.name, '\0', sizeof header.name) != nullptr;
}
} // namespace

void Installer::releasePayload() {
    delete[] payload_;
    payload_ = nullptr;
    payloadLength_ = 0;
}

int Installer::openPayload(const char* path, uint32_t offset, int uninstall) {
    if (actionLogFile_ != nullptr) {
        std::fclose(actionLogFile_);
        actionLogFile_ = nullptr;
    }
    if (uninstall) {
        actionLogFile_ = std::fopen(path, "rb");
        return actionLogFile_ != nullptr ? payload::kOk : payload::kActionLogMissing;
    }
    releasePayload();
    entries_.clear();
    WinFile file;
    if (file.openPath(path, fileaccess::kRead, fileaccess::kShareRead, fileaccess::kOpenExisting) != 0)
        return payload::kCannotOpen;
    int64_t fileSize = file.size();
    if (fileSize < 0 || static_cast<int64_t>(offset) > fileSize)
        return payload::kCannotSeek;
    int64_t length = fileSize - offset;
    if (length > 0x7fffffff)
        return payload::kCannotRead;
    payload_ = new (std::nothrow) unsigned char[length > 0 ? static_cast<size_t>(length) : 1];
    if (payload_ == nullptr)
        return payload::kCannotRead;
    payloadLength_ = static_cast<uint32_t>(length);
    if (file.seekFromStart(static_cast<int32_t>(offset), 0) != 0) {
        releasePayload();
        return payload::kCannotSeek;
    }
    uint32_t got = 0;
    if (file.read(payload_, payloadLength_, &got) != 0 || got != payloadLength_) {
        releasePayload();
        return payload::kCannotRead;
    }
    file.close();
    int result = checkMagicWords(payload_, payloadLength_);
    if (result == payload::kOk)
        result = indexPayload();
    if (result != payload::kOk) {
        releasePayload();
        entries_.clear();
    }
    return result;
}

int Installer::indexPayload() {
    uint32_t position = payload::kHeaderSize;
    for (;;) {
        if (payloadLength_ < position || payloadLength_ - position < 4)
            return payload::kNoEndRecord;
        uint32_t type = payload::readLittleEndian32(payload_ + position);
        if (type == payload::kTypeEnd)
            return payload::kOk;
        if (type != payload::kTypeEntry)
            return payload::kBadRecordType;
        if (payloadLength_ - position < payload::kRecordHeaderSize)
            return payload::kRecordPastEnd;
        PayloadEntry entry;
        entry.offset = position;
        std::memcpy(&entry.header, payload_ + position, sizeof entry.header);
        uint32_t dataStart = position + payload::kRecordHeaderSize;
        if (entry.header.compressedSize > payloadLength_ - dataStart)
            return payload::kRecordPastEnd;
        if (!nameIsTerminated(entry.header))
            return payload::kNameUnterminated;
        if (!entries_.append(entry))
            return payload::kCannotRead;
        position = dataStart + entry.header.compressedSize;
    }
}

int Installer::closePayload() {
    releasePayload();
    if (actionLogFile_ != nullptr) {
        std::fclose(actionLogFile_);
        actionLogFile_ = nullptr;
    }
    return 0;
}

int Installer::findEntry(const char* name) const {
    for (int i = entries_.count() - 1; i >= 0; --i) {
        if (std::strcmp(entries_[i].header.name, name) == 0)
            return i;
    }
    return -1;
}

unsigned char* Installer::unpackFound(int index, uint32_t* length) {
    if (payload_ == nullptr)
        return nullptr;
    const PayloadEntry& entry = entries_[index];
    uint64_t capacity = static_cast<uint64_t>(entry.header.size) + payload::kUnpackSlack;
    if (capacity > 0x7fffffffu)
        return nullptr;
    unsigned char* buffer = new (std::nothrow) unsigned char[static_cast<size_t>(capacity)];
    if (buffer == nullptr)
        return nullptr;
    uLongf produced = static_cast<uLongf>(capacity);
    int status = uncompress(buffer, &produced, payload_ + entry.offset + payload::kRecordHeaderSize,
                            entry.header.compressedSize);
    // The byte behind the data must stay free for the terminating zero.
    if (status != Z_OK || produced >= capacity) {
        delete[] buffer;
        return nullptr;
    }
    buffer[produced] = '\0';
    *length = static_cast<uint32_t>(produced);
    return buffer;
}

int Installer::unpackEntry(const char* name, uint32_t* length, unsigned char** buffer) {
    int index = findEntry(name);
    if (index < 0)
        return -1;
    *length = 0;
    *buffer = nullptr;
    uint32_t produced = 0;
    unsigned char* data = unpackFound(index, &produced);
    if (data == nullptr)
        return -1;
    *length = produced;
    *buffer = data;
    return 0;
}

unsigned char* Installer::loadEntry(const char* name, uint32_t* length) {
    int index = findEntry(name);
    if (index < 0)
        return nullptr;
    if (length != nullptr)
        *length = 0;
    uint32_t produced = 0;
    unsigned char* data = unpackFound(index, &produced);
    if (data != nullptr && length != nullptr)
        *length = produced;
    return data;
}

unsigned char* Installer::loadAppIcon() { return loadEntry("AppIcon", nullptr); }
