#include "package/ErrorList.h"

#include <new>

static void releaseRecord(ErrorRecord* record) {
    // Iterative, so that a long chain cannot exhaust the stack.
    while (record != nullptr) {
        ErrorRecord* next = record->next;
        if (--record->referenceCount > 0)
            break;
        delete record;
        record = next;
    }
}

ErrorList& ErrorList::operator=(ErrorList&& other) noexcept {
    if (this != &other) {
        release();
        first_ = other.first_;
        other.first_ = nullptr;
    }
    return *this;
}

ErrorList ErrorList::make(const char* where, int code, const char* format, ...) {
    ErrorList list;
    ErrorRecord* record = new (std::nothrow) ErrorRecord();
    if (record == nullptr)
        return list;
    va_list args;
    va_start(args, format);
    boundedFormatV(record->text, sizeof record->text, format, args);
    va_end(args);
    record->where = where;
    record->code = code;
    list.first_ = record;
    return list;
}

void ErrorList::append(ErrorList&& rest) {
    if (first_ == nullptr) {
        *this = static_cast<ErrorList&&>(rest);
        return;
    }
    ErrorRecord* last = first_;
    while (last->next != nullptr)
        last = last->next;
    last->next = rest.first_;
    rest.first_ = nullptr;
}

void ErrorList::release() {
    releaseRecord(first_);
    first_ = nullptr;
}

void ErrorList::render(char* buffer, int size) const {
    if (buffer == nullptr || size <= 0)
        return;
    if (first_ == nullptr) {
        copyText(buffer, size, "No error");
        return;
    }
    buffer[0] = '\0';
    for (const ErrorRecord* record = first_; record != nullptr; record = record->next) {
        if (record->where != nullptr) {
            appendText(buffer, size, "[");
            appendText(buffer, size, record->where);
            appendText(buffer, size, "] ");
        }
        appendText(buffer, size, record->text);
        if (record->next != nullptr)
            appendText(buffer, size, "\n");
    }
}
