// The installer object's package operations: reading and indexing the payload, and unpacking
// its entries by name. The reader trusts nothing in the file: every header and every data
// range is checked against the payload's end before it is used.
#include "startup/Installer.h"

#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"
#include "package/WinFile.h"

#include <new>

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
    if (file.openPath(path, fileaccess::kRead, fileaccess::kShareRead, fileaccess::kOpenExisting) !=
        0)
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
    int result = PayloadIndex::checkMagicWords(payload_, payloadLength_);
    if (result == payload::kOk)
        result = indexPayload();
    if (result != payload::kOk) {
        releasePayload();
        entries_.clear();
    }
    return result;
}

int Installer::indexPayload() {
    return PayloadIndex::indexRecords(payload_, payloadLength_, entries_, nullptr);
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
    return PayloadIndex::find(entries_, name);
}

unsigned char* Installer::unpackFound(int index, uint32_t* length) {
    return PayloadIndex::unpack(payload_, payloadLength_, entries_[index], length);
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

unsigned char* Installer::loadAppIcon() {
    return loadEntry("AppIcon", nullptr);
}
