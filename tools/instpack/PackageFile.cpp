#include "tools/instpack/PackageFile.h"

#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"
#include "tools/instpack/PayloadMarkerField.h"

bool PackageFile::load(const std::string& path, std::string& error) {
    entries_.clear();
    if (!HostFiles::readFile(path, file_, error))
        return false;
    return locatePayload(error);
}

bool PackageFile::locatePayload(std::string& error) {
    isInstaller_ =
        !(file_.size() >= 4 && payload::readLittleEndian32(file_.data()) == payload::kMagic1);
    uint64_t offset = 0;
    if (isInstaller_) {
        PayloadMarkerField::Found field =
            PayloadMarkerField::inInstaller(file_.data(), file_.size());
        if (field.state != PayloadMarkerField::State::Patched) {
            error = field.state == PayloadMarkerField::State::Missing
                        ? "is neither an installer nor a payload"
                        : PayloadMarkerField::describe(field.state);
            return false;
        }
        offset = field.offset;
        if (offset > file_.size()) {
            error = "is truncated: its payload would start at offset " + std::to_string(offset) +
                    ", beyond the file's end";
            return false;
        }
        if (offset < field.position + payload::kOffsetMarkerSize) {
            error = "has a payload offset (" + std::to_string(offset) +
                    ") outside the file's engine part";
            return false;
        }
    }
    uint64_t length = file_.size() - offset;
    if (length > 0x7fffffffu) {
        error = "has a payload larger than the engine can read (2 GiB)";
        return false;
    }
    payloadOffset_ = static_cast<uint32_t>(offset);
    payloadLength_ = static_cast<uint32_t>(length);
    return true;
}

int PackageFile::index(uint32_t* failedAt) {
    entries_.clear();
    *failedAt = 0;
    int result = PayloadIndex::checkMagicWords(payload(), payloadLength_);
    if (result == payload::kOk)
        result = PayloadIndex::indexRecords(payload(), payloadLength_, entries_, failedAt);
    return result;
}

unsigned char* PackageFile::unpack(int entry, uint32_t* produced) const {
    return PayloadIndex::unpack(payload(), payloadLength_, entries_[entry], produced);
}
