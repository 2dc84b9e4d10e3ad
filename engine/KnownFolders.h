// The folders an installation run has made or found whole, so that each is asked after once
// per run instead of once per file (with a check per level each time).
#pragma once

#include <string>
#include <unordered_set>

class KnownFolders {
  public:
    bool contains(const char* folder) const { return folders_.count(folder) != 0; }
    void add(const char* folder) { folders_.insert(folder); }

  private:
    std::unordered_set<std::string> folders_;
};
