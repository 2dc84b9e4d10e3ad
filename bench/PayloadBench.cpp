// Times the engine's payload reader on a package: indexing the entry list (what openPayload
// does after reading the file) and unpacking every entry, against zlib's own uncompress on
// the same streams.
#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>
#include <zlib.h>

namespace {
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: payload_bench PAYLOAD\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), {});
    uint32_t length = static_cast<uint32_t>(data.size());
    // Best of three, so that another process on the machine does not decide the figure.
    RecordList<PayloadEntry> entries;
    double indexSeconds = 1e9;
    for (int round = 0; round < 3; ++round) {
        entries.clear();
        auto start = std::chrono::steady_clock::now();
        uint32_t failedAt = 0;
        if (PayloadIndex::checkMagicWords(data.data(), length) != 0 ||
            PayloadIndex::indexRecords(data.data(), length, entries, &failedAt) != 0) {
            std::fprintf(stderr, "not a sound payload\n");
            return 1;
        }
        indexSeconds = std::min(indexSeconds, secondsSince(start));
    }
    uint64_t total = 0;
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < entries.count(); ++i) {
        uint32_t produced = 0;
        std::unique_ptr<unsigned char[]> buffer(
            PayloadIndex::unpack(data.data(), length, entries[i], &produced));
        total += produced;
    }
    double unpackSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < entries.count(); ++i) {
        std::vector<unsigned char> out(entries[i].size + 1024);
        uLongf produced = static_cast<uLongf>(out.size());
        uncompress(out.data(), &produced, data.data() + entries[i].offset + 608,
                   entries[i].compressedSize);
    }
    double zlibSeconds = secondsSince(start);
    double megabytes = static_cast<double>(total) / (1024.0 * 1024.0);
    std::printf("entries %d  index %.4f s  unpack %.1f MiB in %.3f s (%.0f MiB/s)  "
                "raw zlib %.3f s (%.0f MiB/s)\n",
                entries.count(), indexSeconds, megabytes, unpackSeconds, megabytes / unpackSeconds,
                zlibSeconds, megabytes / zlibSeconds);
    return 0;
}
