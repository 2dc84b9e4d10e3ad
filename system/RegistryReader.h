// Reads one registry value as text for the default values. The Windows build asks the
// registry; the native build (tests, fuzzing) has no registry and finds nothing.
#pragma once

class RegistryReader {
  public:
    // The largest value read; a longer one is not read.
    static constexpr int kDataSize = 8192;

    // Reads the value `valueName` (null or empty: the key's default value) of the key
    // `keyPath` (either separator) below the predefined key named by `hive`
    // ("HKEY_LOCAL_MACHINE" and the like, without regard to case) into out[size].
    // Strings are taken as they are, expandable strings with the environment's values put in,
    // numbers as decimal text, a multi-string as its first string; other data is not text.
    // False when the hive is unknown, the key or value cannot be read, the value is not text, or
    // the text does not fit whole.
    static bool readText(const char* hive, const char* keyPath, const char* valueName, char* out,
                         int size);
};
