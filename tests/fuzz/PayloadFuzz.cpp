// Every name the index holds is found again (there or later); every unpacked entry ends in a zero.
#include "package/PayloadIndex.h"

#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t length = static_cast<uint32_t>(size);
    RecordList<PayloadEntry> entries;
    uint32_t failedAt = 0;
    if (size > 0x7fffffffu || PayloadIndex::checkMagicWords(data, length) != 0 ||
        PayloadIndex::indexRecords(data, length, entries, &failedAt) != 0)
        return 0;
    for (int i = 0; i < entries.count(); ++i) {
        uint32_t produced = 0;
        std::unique_ptr<unsigned char[]> buffer(
            PayloadIndex::unpack(data, length, entries[i], &produced));
        if (PayloadIndex::find(entries, entries[i].name) < i || (buffer && buffer[produced] != 0))
            __builtin_trap();
    }
    return 0;
}
