// An installer or a bare payload read back from disk, for listing, verifying and extracting.
// The payload is located (offset 0 for a bare payload, the offset field of an installer) and
// indexed with the engine's own reader, so the packer sees a package as the engine will.
#pragma once

#include "package/PayloadEntry.h"
#include "package/RecordList.h"
#include "tools/instpack/HostFiles.h"

#include <cstdint>
#include <string>

class PackageFile {
  public:
    // Reads the file and finds its payload; false with a reason when there is none to read.
    bool load(const std::string& path, std::string& error);
    // Checks the magic words and indexes the records; 0 or the engine's negative code, with the
    // payload offset of the record at fault in `failedAt`.
    int index(uint32_t* failedAt);

    bool isInstaller() const { return isInstaller_; }
    uint32_t payloadOffset() const { return payloadOffset_; }
    uint32_t payloadLength() const { return payloadLength_; }
    const unsigned char* payload() const { return file_.data() + payloadOffset_; }
    const RecordList<PayloadEntry>& entries() const { return entries_; }
    // The entry inflated into a fresh buffer (size + 1024 bytes), or nullptr when it does not
    // inflate within the engine's limits.
    unsigned char* unpack(int entry, uint32_t* produced) const;

  private:
    bool locatePayload(std::string& error);

    Bytes file_;
    bool isInstaller_ = false;
    uint32_t payloadOffset_ = 0;
    uint32_t payloadLength_ = 0;
    RecordList<PayloadEntry> entries_;
};
