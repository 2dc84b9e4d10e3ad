#include "package/Payload.h"

#include "package/Log.h"
#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"

#include <cstring>
#include <new>
#include <zlib.h>

namespace {
// Compressed bytes are fetched in pieces of this size, so that a large entry never needs a
// window of its own size.
constexpr uint32_t kInputPiece = 1u << 20;
} // namespace

// The entry walk's view of the windowed payload; names are kept in the payload's own pool, as the
// window they were read from goes away.
class Payload::Source {
  public:
    explicit Source(Payload& payload) : payload_(payload) {}
    const unsigned char* at(uint32_t position, uint32_t count) {
        return payload_.bytesAt(position, count);
    }
    const char* keepName(const char* name) { return payload_.names_.keep(name, std::strlen(name)); }

  private:
    Payload& payload_;
};

int Payload::open(const char* path, uint32_t offset) {
    close();
    if (!file_.open(path))
        return payload::kCannotOpen;
    int64_t fileSize = file_.size();
    if (static_cast<int64_t>(offset) > fileSize) {
        close();
        return payload::kCannotSeek;
    }
    int64_t length = fileSize - offset;
    if (length > 0x7fffffff) {
        close();
        return payload::kCannotRead;
    }
    offset_ = offset;
    length_ = static_cast<uint32_t>(length);
    uint32_t headLength = length_ < payload::kHeaderSize ? length_ : payload::kHeaderSize;
    const unsigned char* head = bytesAt(0, headLength);
    int result =
        head == nullptr ? payload::kCannotRead : PayloadIndex::checkMagicWords(head, headLength);
    if (result == payload::kOk) {
        Source source(*this);
        result = PayloadIndex::walkRecords(source, length_, entries_, nullptr);
    }
    if (result != payload::kOk) {
        close();
        return result;
    }
    index_ = EntryNameIndex(entries_.data(), entries_.count());
    return payload::kOk;
}

void Payload::close() {
    file_.close();
    offset_ = 0;
    length_ = 0;
    index_ = EntryNameIndex();
    entries_.clear();
    names_.clear();
}

const unsigned char* Payload::bytesAt(uint32_t position, uint32_t count) const {
    if (position > length_ || count > length_ - position)
        return nullptr;
    return file_.bytes(static_cast<int64_t>(offset_) + position, count);
}

// The entry came from the walk over the same bytes; its range is checked again so that a stale
// or hand-made record can never reach outside the payload. Bytes within it that cannot be had
// now were lost after the walk: the package has become unreadable.
const unsigned char* Payload::compressedBytes(const PayloadEntry& entry, EntryRead* outcome) const {
    uint64_t start = static_cast<uint64_t>(entry.offset) + payload::kRecordHeaderSize;
    if (start > length_ || entry.compressedSize > length_ - start) {
        *outcome = EntryRead::kDamaged;
        return nullptr;
    }
    const unsigned char* bytes = bytesAt(static_cast<uint32_t>(start), entry.compressedSize);
    *outcome = bytes == nullptr ? EntryRead::kUnreadable : EntryRead::kWhole;
    return bytes;
}

void Payload::reportLength(const PayloadEntry& entry, uint64_t produced) const {
    logMessage(debugLog_, "Entry \"%s\" inflates to %u bytes, its record states %u", entry.name,
               static_cast<uint32_t>(produced), entry.size);
}

int Payload::find(const char* name) const {
    return index_.find(name);
}

std::unique_ptr<unsigned char[]> Payload::unpack(const char* name, uint32_t* length,
                                                 EntryRead* outcome) const {
    EntryRead ignored = EntryRead::kWhole;
    EntryRead& result = outcome != nullptr ? *outcome : ignored;
    if (length != nullptr)
        *length = 0;
    int index = find(name);
    result = EntryRead::kMissing;
    if (index < 0)
        return nullptr;
    const PayloadEntry& entry = entries_[index];
    const unsigned char* compressed = compressedBytes(entry, &result);
    if (compressed == nullptr)
        return nullptr;
    uint32_t produced = 0;
    std::unique_ptr<unsigned char[]> data(PayloadIndex::inflateWhole(compressed, entry, &produced));
    if (data && produced != entry.size) {
        reportLength(entry, produced);
        data.reset();
    }
    // Out of memory for the data reads as damage too: the entry cannot be had.
    result = data ? EntryRead::kWhole : EntryRead::kDamaged;
    if (data && length != nullptr)
        *length = produced;
    return data;
}

// Gives the stream its next compressed bytes, up to the end of the window they lie in, so that
// each window is read once.
Payload::EntryRead Payload::feed(z_stream_s& stream, uint64_t& position,
                                 uint32_t& remaining) const {
    // A stream that wants more than its compressed bytes is damaged.
    if (remaining == 0)
        return EntryRead::kDamaged;
    // Windows lie at file offsets, the payload starting anywhere in one.
    int64_t at = static_cast<int64_t>(offset_ + position);
    uint64_t toWindowEnd = static_cast<uint64_t>(WindowedFile::windowEnd(at) - at);
    uint32_t count = remaining < kInputPiece ? remaining : kInputPiece;
    if (count > toWindowEnd)
        count = static_cast<uint32_t>(toWindowEnd);
    const unsigned char* input = bytesAt(static_cast<uint32_t>(position), count);
    if (input == nullptr)
        return EntryRead::kUnreadable;
    stream.next_in = const_cast<Bytef*>(input);
    stream.avail_in = count;
    position += count;
    remaining -= count;
    return EntryRead::kWhole;
}

// Accepts what unpack accepts: a zlib stream that ends within its compressed bytes, at exactly
// the recorded size. Output beyond the size is counted but never handed on; past the size plus
// the unpack slack the entry is refused without a count, as unpack refuses it.
Payload::EntryRead Payload::inflate(int index, const PieceTaker& take) const {
    if (index < 0 || index >= entries_.count())
        return EntryRead::kMissing;
    const PayloadEntry& entry = entries_[index];
    std::unique_ptr<unsigned char[]> piece(new (std::nothrow) unsigned char[kPieceSize]);
    z_stream stream;
    std::memset(&stream, 0, sizeof stream);
    if (!piece || inflateInit(&stream) != Z_OK)
        return EntryRead::kDamaged;
    uint64_t position = static_cast<uint64_t>(entry.offset) + payload::kRecordHeaderSize;
    uint32_t remaining = entry.compressedSize;
    uint64_t produced = 0;
    uint64_t limit = static_cast<uint64_t>(entry.size) + payload::kUnpackSlack;
    EntryRead result = position <= length_ && remaining <= length_ - position ? EntryRead::kWhole
                                                                              : EntryRead::kDamaged;
    uint32_t filled = 0;
    int status = Z_OK;
    while (result == EntryRead::kWhole && status != Z_STREAM_END) {
        if (stream.avail_in == 0) {
            result = feed(stream, position, remaining);
            if (result != EntryRead::kWhole)
                break;
        }
        stream.next_out = piece.get() + filled;
        stream.avail_out = kPieceSize - filled;
        status = ::inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            result = EntryRead::kDamaged;
            break;
        }
        filled = kPieceSize - stream.avail_out;
        if (filled == kPieceSize || status == Z_STREAM_END) {
            uint64_t wanted = produced < entry.size ? entry.size - produced : 0;
            uint32_t handed = filled < wanted ? filled : static_cast<uint32_t>(wanted);
            produced += filled;
            filled = 0;
            if (produced >= limit)
                result = EntryRead::kDamaged;
            else if (handed > 0 && !take(piece.get(), handed))
                result = EntryRead::kRefused;
        }
    }
    inflateEnd(&stream);
    if (result == EntryRead::kWhole && produced != entry.size) {
        reportLength(entry, produced);
        result = EntryRead::kDamaged;
    }
    return result;
}
