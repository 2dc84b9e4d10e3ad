#include "package/Payload.h"

#include "package/Log.h"
#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"
#include "package/WinFile.h"

#include <new>

int Payload::open(const char* path, uint32_t offset) {
    close();
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
    bytes_.reset(new (std::nothrow) unsigned char[length > 0 ? static_cast<size_t>(length) : 1]);
    if (!bytes_)
        return payload::kCannotRead;
    length_ = static_cast<uint32_t>(length);
    int result = payload::kOk;
    uint32_t got = 0;
    if (file.seekFromStart(static_cast<int32_t>(offset), 0) != 0)
        result = payload::kCannotSeek;
    else if (file.read(bytes_.get(), length_, &got) != 0 || got != length_)
        result = payload::kCannotRead;
    if (result == payload::kOk)
        result = PayloadIndex::checkMagicWords(bytes_.get(), length_);
    if (result == payload::kOk)
        result = PayloadIndex::indexRecords(bytes_.get(), length_, entries_, nullptr);
    if (result != payload::kOk)
        close();
    return result;
}

void Payload::close() {
    bytes_.reset();
    length_ = 0;
    entries_.clear();
}

int Payload::find(const char* name) const {
    return PayloadIndex::find(entries_, name);
}

std::unique_ptr<unsigned char[]> Payload::unpack(const char* name, uint32_t* length) const {
    if (length != nullptr)
        *length = 0;
    int index = find(name);
    if (index < 0)
        return nullptr;
    uint32_t produced = 0;
    const PayloadEntry& entry = entries_[index];
    std::unique_ptr<unsigned char[]> data(
        PayloadIndex::unpack(bytes_.get(), length_, entry, &produced));
    if (data && produced != entry.header.size) {
        logMessage(debugLog_, "Entry \"%s\" inflates to %u bytes, its record states %u", name,
                   produced, entry.header.size);
        data.reset();
    }
    if (data && length != nullptr)
        *length = produced;
    return data;
}
