// How a value travels inside a command line the engine writes and later reads back itself (the
// registered uninstall command, the uninstall copy's command line): in double quotes, with the
// escape character in front of every double quote and every escape character inside it, so that
// no value can end early, add an option, or lose a character of its own.
//
// The escape is the character "¬" (U+00AC) in the process code page: the byte 0xAC in an ANSI
// code page, the two bytes C2 AC in UTF-8. In UTF-8 the text is walked by characters: the byte
// 0xAC alone is the last byte of other characters there (the euro sign is E2 82 AC), and an
// escape put in front of it would break the character. A command registered by an engine that
// worked in code page 1252 reads back the same in UTF-8: the system stored its 0xAC as U+00AC.
#pragma once

#include "package/TextEncoding.h"

#include <string>

class CommandLineText {
  public:
    static std::string quoted(const std::string& value,
                              unsigned codePage = TextEncoding::processCodePage());
    // Where the quoted value starting at begin ends: the offset of its closing quote, or
    // `length` when there is none.
    static size_t closingQuote(const char* begin, size_t length,
                               unsigned codePage = TextEncoding::processCodePage());
    // The value between the quotes (or unquoted) with every escape resolved; an escape at the
    // very end stands for nothing.
    static std::string unescaped(const char* begin, size_t length,
                                 unsigned codePage = TextEncoding::processCodePage());
};
