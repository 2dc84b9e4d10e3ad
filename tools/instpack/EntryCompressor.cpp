#include "tools/instpack/EntryCompressor.h"

#include "tools/instpack/Md5Digest.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <libdeflate.h>
#include <memory>
#include <thread>
#include <zlib.h>

namespace {
// libdeflate's 9 packs about as tightly as zlib's 9 in less time. For the blocks of large
// entries its 2 packs as tightly as zlib's default, six times faster; its stronger levels gain
// about one per cent for two to five times the time.
constexpr int kWholeLevel = 9;
constexpr int kBlockLevel = 2;
// What zlib writes in front of a stream made at its default level.
constexpr unsigned char kZlibHeader[2] = {0x78, 0x9c};

using Compressor = std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)>;

Compressor makeCompressor(int level) {
    return Compressor(libdeflate_alloc_compressor(level), libdeflate_free_compressor);
}
} // namespace

// What one thread keeps for all its tasks: each compressor and buffer is a few hundred KiB or
// more that the system would otherwise hand out and take back, fault by fault, for every task.
struct EntryCompressor::Worker {
    Compressor whole = makeCompressor(kWholeLevel);
    Compressor block = makeCompressor(kBlockLevel);
    Bytes scratch;  // a block compressed at its bound, before it is copied out at its size
    Bytes inflated; // a block given back, to prove it
};

EntryCompressor::EntryCompressor(unsigned threads) : threads_(threads) {
    if (threads_ == 0)
        threads_ = std::thread::hardware_concurrency();
    if (threads_ == 0)
        threads_ = 1;
}

EntryCompressor::~EntryCompressor() = default;

bool EntryCompressor::compressWhole(Worker& worker, const EntryBytes& data, Bytes& out) {
    if (!worker.whole)
        return false;
    out.resize(libdeflate_zlib_compress_bound(worker.whole.get(), data.size()));
    size_t length = libdeflate_zlib_compress(worker.whole.get(), data.data(), data.size(),
                                             out.data(), out.size());
    out.resize(length);
    return length > 0;
}

// Raw deflate of one block; every block but the entry's last is opened up for the next.
bool EntryCompressor::compressBlock(Worker& worker, const EntryBytes& data, size_t block,
                                    Bytes& out) {
    size_t start = block * kBlockSize;
    size_t length = data.size() - start < kBlockSize ? data.size() - start : kBlockSize;
    if (!worker.block)
        return false;
    worker.scratch.resize(libdeflate_deflate_compress_bound(worker.block.get(), length));
    size_t written = libdeflate_deflate_compress(worker.block.get(), data.data() + start, length,
                                                 worker.scratch.data(), worker.scratch.size());
    out.assign(worker.scratch.begin(),
               worker.scratch.begin() + static_cast<std::ptrdiff_t>(written));
    return written > 0 && (start + length == data.size() ||
                           openUp(data.data() + start, length, worker.inflated, out));
}

// zlib inflates the stream block by block to find where its final deflate block starts; that
// also proves the stream gives back exactly `data`. The final block's first bit (BFINAL) is
// cleared, the padding behind its end is zeroed, and an empty stored block follows: three zero
// header bits (in the padding when it has room), then LEN 0 and NLEN 0xFFFF on a byte boundary.
bool EntryCompressor::openUp(const unsigned char* data, size_t length, Bytes& inflated,
                             Bytes& stream) {
    z_stream inflater{};
    if (inflateInit2(&inflater, -15) != Z_OK)
        return false;
    inflated.resize(length + 1);
    inflater.next_in = stream.data();
    inflater.avail_in = static_cast<uInt>(stream.size());
    inflater.next_out = inflated.data();
    inflater.avail_out = static_cast<uInt>(inflated.size());
    // At each block's end zlib stops with the bit position of what follows; behind the final
    // block's end only padding is left.
    uint64_t finalStart = 0;
    uint64_t finalEnd = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        status = inflate(&inflater, Z_BLOCK);
        uint64_t position =
            uint64_t{stream.size() - inflater.avail_in} * 8 - (inflater.data_type & 7);
        if (status == Z_OK && (inflater.data_type & 128) != 0)
            ((inflater.data_type & 64) != 0 ? finalEnd : finalStart) = position;
    }
    bool whole = status == Z_STREAM_END && inflater.avail_in == 0 && inflater.total_out == length &&
                 finalEnd > finalStart && std::memcmp(inflated.data(), data, length) == 0;
    inflateEnd(&inflater);
    if (!whole)
        return false;
    int padding = static_cast<int>((8 - finalEnd % 8) % 8);
    stream[finalStart / 8] &= static_cast<unsigned char>(~(1u << (finalStart % 8)));
    stream.back() &= static_cast<unsigned char>(0xFF >> padding);
    if (padding < 3)
        stream.push_back(0x00);
    for (unsigned char byte : {0x00, 0x00, 0xFF, 0xFF})
        stream.push_back(byte);
    return true;
}

void EntryCompressor::runTasks(std::vector<Worker>& workers, size_t count,
                               const std::function<void(Worker&, size_t)>& task) const {
    if (workers.empty())
        workers.resize(threads_);
    std::atomic<size_t> next{0};
    auto work = [count, &task, &next](Worker& worker) {
        for (size_t index = next++; index < count; index = next++)
            task(worker, index);
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads_ && i < count; ++i)
        helpers.emplace_back(work, std::ref(workers[i]));
    work(workers[0]);
    for (std::thread& helper : helpers)
        helper.join();
}

void EntryCompressor::compress(const std::vector<const EntryBytes*>& entries,
                               std::vector<Packed>& packed) const {
    packed.assign(entries.size(), Packed());
    std::vector<Worker> workers;
    runTasks(workers, entries.size(), [&entries, &packed](Worker& worker, size_t entry) {
        const EntryBytes& data = *entries[entry];
        Packed& result = packed[entry];
        result.ok = data.size() <= kBlockSize &&
                    Md5Digest::compute(data.data(), data.size(), result.md5) &&
                    compressWhole(worker, data, result.stream);
    });
}

bool EntryCompressor::compressLarge(const EntryBytes& data, const PieceWriter& write,
                                    unsigned char md5[16]) const {
    // Enough blocks to keep every core busy between the window's ends. Two sets of buffers: the
    // blocks of one window are written while those of the next are packed.
    constexpr size_t kWindowBlocks = 16;
    struct Window {
        std::vector<Bytes> blocks = std::vector<Bytes>(kWindowBlocks);
        std::vector<char> packed = std::vector<char>(kWindowBlocks);
        size_t count = 0; // blocks packed into it
    };
    size_t blocks = (data.size() + kBlockSize - 1) / kBlockSize;
    size_t windows = (blocks + kWindowBlocks - 1) / kWindowBlocks;
    Window buffers[2];
    std::vector<Worker> workers;
    Md5Digest digest;
    uint32_t adler = 1;
    bool ok = write(kZlibHeader, sizeof kZlibHeader);
    for (size_t window = 0; ok && window <= windows; ++window) {
        size_t first = window * kWindowBlocks;
        Window& packing = buffers[window % 2];
        const Window& writing = buffers[(window + 1) % 2];
        packing.count = window < windows ? std::min(kWindowBlocks, blocks - first) : 0;
        size_t start = first * kBlockSize;
        size_t length = packing.count == 0
                            ? 0
                            : std::min(data.size(), (first + packing.count) * kBlockSize) - start;
        bool written = true;
        // Task 0 digests this window's bytes and task 1 writes the previous window's blocks,
        // in order, while the others pack this window's blocks.
        runTasks(workers, packing.count + 2, [&](Worker& worker, size_t task) {
            if (task == 0) {
                digest.update(data.data() + start, length);
                adler = libdeflate_adler32(adler, data.data() + start, length);
            } else if (task == 1) {
                for (size_t i = 0; written && i < writing.count; ++i)
                    written = writing.packed[i] != 0 &&
                              write(writing.blocks[i].data(), writing.blocks[i].size());
            } else {
                size_t block = task - 2;
                packing.packed[block] =
                    compressBlock(worker, data, first + block, packing.blocks[block]) ? 1 : 0;
            }
        });
        ok = written;
    }
    unsigned char trailer[4];
    for (int i = 0; i < 4; ++i)
        trailer[i] = static_cast<unsigned char>(adler >> (24 - 8 * i));
    return ok && write(trailer, sizeof trailer) && digest.finish(md5);
}
