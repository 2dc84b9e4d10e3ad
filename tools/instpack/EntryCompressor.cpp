#include "tools/instpack/EntryCompressor.h"

#include "tools/instpack/Md5Digest.h"

#include <atomic>
#include <cstdint>
#include <cstring>
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

// What the tasks of one compress() call share: the input, the blocks and the results.
struct EntryCompressor::Work {
    const std::vector<const EntryBytes*>& entries;
    std::vector<Packed>& packed;
    std::vector<std::vector<Bytes>> blocks; // per large entry
    std::vector<std::vector<char>> blockOk; // per large entry
    std::vector<uint32_t> adler;            // per large entry
};

EntryCompressor::EntryCompressor(unsigned threads) : threads_(threads) {
    if (threads_ == 0)
        threads_ = std::thread::hardware_concurrency();
    if (threads_ == 0)
        threads_ = 1;
}

bool EntryCompressor::compressWhole(const EntryBytes& data, Bytes& out) {
    Compressor compressor = makeCompressor(kWholeLevel);
    if (!compressor)
        return false;
    out.resize(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    size_t length = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), out.data(),
                                             out.size());
    out.resize(length);
    return length > 0;
}

// Raw deflate of one block; every block but the entry's last is opened up for the next.
bool EntryCompressor::compressBlock(const EntryBytes& data, size_t block, Bytes& out) {
    size_t start = block * kBlockSize;
    size_t length = data.size() - start < kBlockSize ? data.size() - start : kBlockSize;
    // One per thread for all its blocks: each is a few hundred KiB that the system would
    // otherwise hand out and take back, fault by fault, for every block.
    thread_local Compressor compressor = makeCompressor(kBlockLevel);
    if (!compressor)
        return false;
    // Compressed into a buffer the thread keeps, then copied out at its size: a fresh buffer of
    // the bound for every block would be cleared and faulted in page by page only to be cut.
    thread_local Bytes scratch;
    scratch.resize(libdeflate_deflate_compress_bound(compressor.get(), length));
    size_t written = libdeflate_deflate_compress(compressor.get(), data.data() + start, length,
                                                 scratch.data(), scratch.size());
    out.assign(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(written));
    return written > 0 &&
           (start + length == data.size() || openUp(data.data() + start, length, out));
}

// zlib inflates the stream block by block to find where its final deflate block starts; that
// also proves the stream gives back exactly `data`. The final block's first bit (BFINAL) is
// cleared, the padding behind its end is zeroed, and an empty stored block follows: three zero
// header bits (in the padding when it has room), then LEN 0 and NLEN 0xFFFF on a byte boundary.
bool EntryCompressor::openUp(const unsigned char* data, size_t length, Bytes& stream) {
    z_stream inflater{};
    if (inflateInit2(&inflater, -15) != Z_OK)
        return false;
    thread_local Bytes inflated;
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

void EntryCompressor::runTask(const Task& task, Work& work) {
    const EntryBytes& data = *work.entries[task.entry];
    Packed& result = work.packed[task.entry];
    if (task.whole) {
        result.pieces.resize(1);
        result.ok = Md5Digest::compute(data.data(), data.size(), result.md5) &&
                    compressWhole(data, result.pieces[0]);
    } else if (task.digests) {
        work.adler[task.entry] = libdeflate_adler32(1, data.data(), data.size());
        result.ok = Md5Digest::compute(data.data(), data.size(), result.md5);
    } else {
        work.blockOk[task.entry][task.block] =
            compressBlock(data, task.block, work.blocks[task.entry][task.block]) ? 1 : 0;
    }
}

void EntryCompressor::join(Work& work, size_t entry) {
    Packed& result = work.packed[entry];
    std::vector<Bytes>& blocks = work.blocks[entry];
    for (size_t block = 0; block < blocks.size(); ++block)
        result.ok = result.ok && work.blockOk[entry][block] != 0;
    result.pieces.clear();
    result.pieces.reserve(blocks.size() + 2);
    result.pieces.emplace_back(kZlibHeader, kZlibHeader + sizeof kZlibHeader);
    for (Bytes& block : blocks)
        result.pieces.push_back(std::move(block));
    uint32_t adler = work.adler[entry];
    Bytes trailer;
    for (int shift = 24; shift >= 0; shift -= 8)
        trailer.push_back(static_cast<unsigned char>(adler >> shift));
    result.pieces.push_back(std::move(trailer));
}

uint64_t EntryCompressor::Packed::size() const {
    uint64_t total = 0;
    for (const Bytes& piece : pieces)
        total += piece.size();
    return total;
}

void EntryCompressor::compress(const std::vector<const EntryBytes*>& entries,
                               std::vector<Packed>& packed) const {
    packed.assign(entries.size(), Packed());
    Work work{entries, packed, {}, {}, {}};
    work.blocks.resize(entries.size());
    work.blockOk.resize(entries.size());
    work.adler.resize(entries.size());
    std::vector<Task> tasks;
    for (size_t entry = 0; entry < entries.size(); ++entry) {
        size_t size = entries[entry]->size();
        if (size <= kBlockSize) {
            tasks.push_back({entry, 0, true, false});
            continue;
        }
        size_t blocks = (size + kBlockSize - 1) / kBlockSize;
        work.blocks[entry].resize(blocks);
        work.blockOk[entry].assign(blocks, 0);
        tasks.push_back({entry, 0, false, true});
        for (size_t block = 0; block < blocks; ++block)
            tasks.push_back({entry, block, false, false});
    }
    std::atomic<size_t> next{0};
    auto worker = [&tasks, &next, &work]() {
        for (size_t task = next++; task < tasks.size(); task = next++)
            runTask(tasks[task], work);
    };
    std::vector<std::thread> helpers;
    for (unsigned i = 1; i < threads_ && i < tasks.size(); ++i)
        helpers.emplace_back(worker);
    worker();
    for (std::thread& helper : helpers)
        helper.join();
    for (size_t entry = 0; entry < entries.size(); ++entry) {
        if (!work.blocks[entry].empty())
            join(work, entry);
    }
}
