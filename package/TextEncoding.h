// Text between the encodings the engine meets at its edges. Inside, every byte string is in the
// process code page: UTF-8 where the system honours the manifest's request for it (Windows 10
// version 1903 and later), the system's ANSI code page on older systems. Files other programs
// own keep their own encodings; a text crosses over only through `convert`, which refuses what
// the other side cannot hold instead of writing "?".
#pragma once

#include <optional>
#include <string>

class TextEncoding {
  public:
    static constexpr unsigned kUtf8 = 65001;
    static constexpr unsigned kUtf16LE = 1200; // little-endian UTF-16, as Windows stores it

    // The code page of the engine's own byte strings.
    static unsigned processCodePage();
    // The system's ANSI code page: what a file without byte-order mark means to other programs
    // (also while the process itself works in UTF-8).
    static unsigned systemAnsiCodePage();
    // The text in code page `to`; nothing when it is not valid in `from` or holds a character
    // that `to` cannot hold.
    static std::optional<std::string> convert(const std::string& text, unsigned from, unsigned to);
    // Turns text read in code page `from` (0: unknown) into the process code page in place;
    // false, the text untouched, when it is not valid there or cannot be held. Text already in
    // the process code page is checked when that is UTF-8, where not every byte string is text.
    static bool intoProcessCodePage(std::string& text, unsigned from);
    // The code page an encoding name of an XML declaration or a record header stands for
    // ("UTF-8", "windows-1252", "cp1251", "ISO-8859-1", "Shift_JIS", ...); 0 when unknown.
    static unsigned codePageNamed(const std::string& name);
    // The name a record header gives the code page ("UTF-8", "windows-1252"), which
    // codePageNamed reads back.
    static std::string nameOf(unsigned codePage);
};
