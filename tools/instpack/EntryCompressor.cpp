#include "tools/instpack/EntryCompressor.h"

#include "tools/instpack/Md5Digest.h"

#include <atomic>
#include <libdeflate.h>
#include <memory>
#include <thread>
#include <zlib.h>

namespace {
// The strongest levels whose cost stays reasonable: libdeflate's 9 packs about as tightly as
// zlib's 9 in less time; zlib's 9 is several times slower than its default on repetitive text
// for about one per cent, so the blocks of large entries use the default.
constexpr int kWholeLevel = 9;
constexpr int kBlockLevel = Z_DEFAULT_COMPRESSION;
constexpr size_t kWindow = 32768;
// What zlib writes in front of a stream made at its default level.
constexpr unsigned char kZlibHeader[2] = {0x78, 0x9c};
} // namespace

// What the tasks of one compress() call share: the input, the blocks and the results.
struct EntryCompressor::Work {
    const std::vector<const Bytes*>& entries;
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

bool EntryCompressor::compressWhole(const Bytes& data, Bytes& out) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(kWholeLevel), libdeflate_free_compressor);
    if (!compressor)
        return false;
    out.resize(libdeflate_zlib_compress_bound(compressor.get(), data.size()));
    size_t length = libdeflate_zlib_compress(compressor.get(), data.data(), data.size(), out.data(),
                                             out.size());
    out.resize(length);
    return length > 0;
}

// Raw deflate of one block, primed with the 32 KiB before it; every block but the last ends
// with an empty stored block, so that the next one starts on a byte boundary.
bool EntryCompressor::compressBlock(const Bytes& data, size_t block, Bytes& out) {
    size_t start = block * kBlockSize;
    size_t length = data.size() - start < kBlockSize ? data.size() - start : kBlockSize;
    bool last = start + length == data.size();
    z_stream stream{};
    if (deflateInit2(&stream, kBlockLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    bool ok = block == 0 || deflateSetDictionary(&stream, data.data() + start - kWindow,
                                                 static_cast<uInt>(kWindow)) == Z_OK;
    out.resize(deflateBound(&stream, static_cast<uLong>(length)) + 64);
    stream.next_in = const_cast<Bytef*>(data.data() + start);
    stream.avail_in = static_cast<uInt>(length);
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    int status = ok ? deflate(&stream, last ? Z_FINISH : Z_SYNC_FLUSH) : Z_STREAM_ERROR;
    ok = (last ? status == Z_STREAM_END : status == Z_OK) && stream.avail_in == 0 &&
         stream.avail_out > 0;
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return ok;
}

void EntryCompressor::runTask(const Task& task, Work& work) {
    const Bytes& data = *work.entries[task.entry];
    Packed& result = work.packed[task.entry];
    if (task.whole) {
        result.ok = Md5Digest::compute(data.data(), data.size(), result.md5) &&
                    compressWhole(data, result.bytes);
    } else if (task.digests) {
        uLong adler = adler32(0L, Z_NULL, 0);
        for (size_t at = 0; at < data.size(); at += kBlockSize) {
            size_t length = data.size() - at < kBlockSize ? data.size() - at : kBlockSize;
            adler = adler32(adler, data.data() + at, static_cast<uInt>(length));
        }
        work.adler[task.entry] = static_cast<uint32_t>(adler);
        result.ok = Md5Digest::compute(data.data(), data.size(), result.md5);
    } else {
        work.blockOk[task.entry][task.block] =
            compressBlock(data, task.block, work.blocks[task.entry][task.block]) ? 1 : 0;
    }
}

void EntryCompressor::join(Work& work, size_t entry) {
    Packed& result = work.packed[entry];
    size_t total = sizeof kZlibHeader + 4;
    for (size_t block = 0; block < work.blocks[entry].size(); ++block) {
        result.ok = result.ok && work.blockOk[entry][block] != 0;
        total += work.blocks[entry][block].size();
    }
    result.bytes.clear();
    result.bytes.reserve(total);
    result.bytes.insert(result.bytes.end(), kZlibHeader, kZlibHeader + sizeof kZlibHeader);
    for (Bytes& block : work.blocks[entry]) {
        result.bytes.insert(result.bytes.end(), block.begin(), block.end());
        Bytes().swap(block);
    }
    uint32_t adler = work.adler[entry];
    for (int shift = 24; shift >= 0; shift -= 8)
        result.bytes.push_back(static_cast<unsigned char>(adler >> shift));
}

void EntryCompressor::compress(const std::vector<const Bytes*>& entries,
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
