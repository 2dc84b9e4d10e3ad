// The engine's error records and the handle to a chain of them. An empty list means success.
#pragma once

#include "package/BoundedText.h"

struct ErrorRecord {
    const char* where = nullptr; // the operation that failed, e.g. "BackupFile::addFile"
    char text[512] = {};
    int code = 0;
    ErrorRecord* next = nullptr;
    int referenceCount = 1;
};

class ErrorList {
  public:
    ErrorList() = default;
    ~ErrorList() { release(); }
    ErrorList(const ErrorList&) = delete;
    ErrorList& operator=(const ErrorList&) = delete;
    ErrorList(ErrorList&& other) noexcept : first_(other.first_) { other.first_ = nullptr; }
    ErrorList& operator=(ErrorList&& other) noexcept;

    // A list of one record; empty when the record cannot be allocated.
    static ErrorList make(const char* where, int code, const char* format, ...)
        KESTREL_PRINTF(3, 4);

    bool empty() const { return first_ == nullptr; }
    const ErrorRecord* first() const { return first_; }
    // Puts `rest` behind the last record of this chain.
    void append(ErrorList&& rest);
    void release();
    // "No error" for an empty list; else "[where] text" per record, joined with "\n".
    void render(char* buffer, int size) const;

  private:
    ErrorRecord* first_ = nullptr;
};
