// `instpack extract FILE DIR`: writes every entry into DIR under its entry name. Entries are
// written in payload order, so of two entries with one name the file holds the later one,
// the one the engine finds.
#pragma once

#include <string>

class ExtractCommand {
  public:
    static int run(const std::string& path, const std::string& folder);
    // Whether an entry name can be written as a file directly inside the folder.
    static bool isPlainFileName(const char* name);
};
