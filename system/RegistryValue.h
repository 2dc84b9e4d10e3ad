// One registry value read whole, however long it is, and values written with their
// terminating zero counted. The registry is outside input: a value that is not the text it
// should be is told apart from a missing one, so that the caller never overwrites what it could
// not read.
#pragma once

#include <windows.h>

#include <string>

class RegistryValue {
  public:
    // Far beyond any text the system itself keeps in one value; a larger one is damage, not
    // something to load into memory.
    static constexpr DWORD kLargestText = 16u * 1024u * 1024u;

    enum class State { Absent, Text, Unreadable };

    // Text: a REG_SZ or REG_EXPAND_SZ value, its terminating zeros taken off. Unreadable: the
    // value is there but could not be read, is of another type, larger than kLargestText, or
    // would not come back the same when written back: a zero inside, or a character the
    // narrow texts' code page has no place for.
    static RegistryValue read(HKEY key, const char* name);
    // Writes the text whole, as `type`; false when the registry refused it.
    static bool writeText(HKEY key, const char* name, DWORD type, const std::string& text);
    static bool writeNumber(HKEY key, const char* name, DWORD number);

    State state = State::Absent;
    DWORD type = REG_SZ; // of a Text value; REG_SZ otherwise
    std::string text;
};
