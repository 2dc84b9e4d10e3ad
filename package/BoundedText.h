// Bounded text helpers: every fixed-size text buffer in the engine is written through these,
// so that nothing writes past a buffer and a cut is always reported to the caller.
#pragma once

#include <cstdarg>

#if defined(__MINGW32__) && !defined(__clang__)
#define KESTREL_PRINTF(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define KESTREL_PRINTF(fmt, args) __attribute__((format(printf, fmt, args)))
#endif

// Formats into buffer[size], always terminated. Returns the length written, 0 when size <= 0,
// and -1 when the text had to be cut (the buffer then holds the terminated, cut text).
int boundedFormat(char* buffer, int size, const char* format, ...) KESTREL_PRINTF(3, 4);
int boundedFormatV(char* buffer, int size, const char* format, va_list args);

// Copies source into buffer[size], always terminated. False when it was cut.
bool copyText(char* buffer, int size, const char* source);

// Appends source behind the text already in buffer[size]. False when it was cut.
bool appendText(char* buffer, int size, const char* source);

// Copies at most `length` bytes of source (stopping at a zero byte) into buffer[size].
// False when the piece did not fit whole.
bool copyTextPiece(char* buffer, int size, const char* source, int length);
