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
#include <vector>

class EntryCompressor {
  public:
    // The zlib stream of an entry in the pieces it was made in (a large entry's blocks are
    // written one after the other rather than copied into one buffer first).
    struct Packed {
        std::vector<Bytes> pieces;
        unsigned char md5[16];
        bool ok = false;

        uint64_t size() const;
    };
    static constexpr size_t kBlockSize = size_t{1} << 20;

    // 0 threads: one per core.
    explicit EntryCompressor(unsigned threads = 0);

    // Packs each of `entries` into the same place of `packed`.
    void compress(const std::vector<const EntryBytes*>& entries, std::vector<Packed>& packed) const;

  private:
    struct Task {
        size_t entry;
        size_t block; // within the entry
        bool whole;   // the entry in one piece
        bool digests; // a large entry's MD5 and Adler-32
    };
    struct Work;

    static void runTask(const Task& task, Work& work);
    static bool compressWhole(const EntryBytes& data, Bytes& out);
    static bool compressBlock(const EntryBytes& data, size_t block, Bytes& out);
    static bool openUp(const unsigned char* data, size_t length, Bytes& stream);
    static void join(Work& work, size_t entry);

    unsigned threads_;
};
