// Compresses payload entries on every core. An entry's packed bytes depend on its data alone,
// never on the number of threads or on which thread finished first, so a package is the same
// byte for byte wherever it is built. Each result is one standard zlib stream, which the
// engine's zlib inflates unchanged:
// - an entry of up to one block is compressed whole by libdeflate;
// - a larger one is cut into blocks compressed side by side by libdeflate and joined under one
//   zlib header and the Adler-32 of the whole entry (as parallel gzip tools do). libdeflate ends
//   every stream it writes, so each block's stream but the last is opened up again: its final
//   deflate block is marked not final and an empty stored block brings it to a byte boundary,
//   as zlib's sync flush would. Zlib at the same ratio was five times slower; without the
//   previous block's dictionary a block of 1 MiB loses about a tenth of a per cent.
#pragma once

#include "tools/instpack/EntryBytes.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class EntryCompressor {
  public:
    struct Packed {
        Bytes stream;
        unsigned char md5[16];
        bool ok = false;
    };
    // Receives a large entry's stream piece by piece, in order; false stops the packing.
    using PieceWriter = std::function<bool(const unsigned char* bytes, size_t count)>;
    static constexpr size_t kBlockSize = size_t{1} << 20;

    // 0 threads: one per core.
    explicit EntryCompressor(unsigned threads = 0);
    ~EntryCompressor();

    // Packs each of `entries`, none larger than a block, into the same place of `packed`.
    void compress(const std::vector<const EntryBytes*>& entries, std::vector<Packed>& packed) const;
    // Packs an entry larger than a block a window of blocks at a time, handing each window's
    // pieces to `write` before the next is packed into the same buffers: whatever its size,
    // the entry costs a window of memory. Also gives the entry's MD5.
    bool compressLarge(const EntryBytes& data, const PieceWriter& write,
                       unsigned char md5[16]) const;

  private:
    struct Worker;

    // Runs task(worker, 0) .. task(worker, count - 1) on the threads, each index once; thread i
    // works with workers[i] (made on first use, kept for the next call with the same vector).
    void runTasks(std::vector<Worker>& workers, size_t count,
                  const std::function<void(Worker&, size_t)>& task) const;
    static bool compressWhole(Worker& worker, const EntryBytes& data, Bytes& out);
    static bool compressBlock(Worker& worker, const EntryBytes& data, size_t block, Bytes& out);
    static bool openUp(const unsigned char* data, size_t length, Bytes& inflated, Bytes& stream);

    unsigned threads_;
};
