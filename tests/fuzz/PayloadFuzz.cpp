// Opens, indexes and unpacks a payload from arbitrary bytes through the engine's own reader.
#include "package/PayloadIndex.h"

#include <cstddef>
#include <cstdint>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7fffffffu)
        return 0;
    uint32_t length = static_cast<uint32_t>(size);
    if (PayloadIndex::checkMagicWords(data, length) != 0)
        return 0;
    RecordList<PayloadEntry> entries;
    uint32_t failedAt = 0;
    if (PayloadIndex::indexRecords(data, length, entries, &failedAt) != 0)
        return 0;
    for (int i = 0; i < entries.count(); ++i) {
        // Every name found by the index must be found again, at this or a later record.
        if (PayloadIndex::find(entries, entries[i].name) < i)
            __builtin_trap();
        uint32_t produced = 0;
        std::unique_ptr<unsigned char[]> buffer(
            PayloadIndex::unpack(data, length, entries[i], &produced));
        if (buffer && buffer[produced] != 0)
            __builtin_trap();
    }
    return 0;
}
