// A growable array of fixed-size, trivially copyable records. The grow step is the smallest
// growth; a full list grows by half its size when that is more, so appending n records costs
// O(n) copies however large the list gets.
#pragma once

#include <cstring>
#include <new>
#include <type_traits>

template <typename Record> class RecordList {
    static_assert(std::is_trivially_copyable<Record>::value, "records are copied by value");

  public:
    explicit RecordList(int growStep = 5) : growStep_(growStep > 0 ? growStep : 1) {}
    ~RecordList() { clear(); }
    RecordList(const RecordList&) = delete;
    RecordList& operator=(const RecordList&) = delete;

    int count() const { return count_; }
    Record* data() { return records_; }
    const Record* data() const { return records_; }
    int capacity() const { return capacity_; }
    Record& operator[](int index) { return records_[index]; }
    const Record& operator[](int index) const { return records_[index]; }

    // Appends a copy; returns false (and leaves the list as it was) when memory runs out.
    bool append(const Record& record) {
        if (count_ == capacity_ && !grow())
            return false;
        std::memcpy(static_cast<void*>(&records_[count_]), &record, sizeof(Record));
        ++count_;
        return true;
    }

    // Makes room for `capacity` records at once, for a caller that knows how many will come:
    // one block instead of a series of growing ones. False when memory runs out.
    bool reserve(int capacity) {
        if (capacity <= capacity_)
            return true;
        if (capacity > 0x7fffffff / static_cast<int>(sizeof(Record)))
            return false;
        return reallocate(capacity);
    }

    void clear() {
        delete[] reinterpret_cast<unsigned char*>(records_);
        records_ = nullptr;
        capacity_ = 0;
        count_ = 0;
    }

  private:
    bool grow() {
        int growth = count_ / 2 > growStep_ ? count_ / 2 : growStep_;
        if (count_ > 0x7fffffff / static_cast<int>(sizeof(Record)) - growth)
            return false;
        return reallocate(count_ + growth);
    }

    bool reallocate(int newCapacity) {
        size_t bytes = static_cast<size_t>(newCapacity) * sizeof(Record);
        unsigned char* block = new (std::nothrow) unsigned char[bytes];
        if (block == nullptr)
            return false;
        std::memset(block, 0, bytes);
        if (count_ > 0)
            std::memcpy(block, records_, static_cast<size_t>(count_) * sizeof(Record));
        delete[] reinterpret_cast<unsigned char*>(records_);
        records_ = reinterpret_cast<Record*>(block);
        capacity_ = newCapacity;
        return true;
    }

    Record* records_ = nullptr;
    int capacity_ = 0;
    int count_ = 0;
    int growStep_;
};
