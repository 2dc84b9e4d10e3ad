// How a value travels inside a command line the engine writes and later reads back itself (the
// registered uninstall command, the uninstall copy's command line): in double quotes, with the
// escape byte in front of every double quote and every escape byte inside it, so that no value
// can end early, add an option, or lose a character of its own.
#pragma once

#include <string>

class CommandLineText {
  public:
    // 0xAC ("¬" in code page 1252): an escape byte followed by any byte stands for that byte.
    static constexpr char kEscape = static_cast<char>(0xAC);

    static std::string quoted(const std::string& value);
    // The value between the quotes (or unquoted) with every escape resolved; an escape byte at
    // the very end stands for nothing.
    static std::string unescaped(const char* begin, size_t length);
};
