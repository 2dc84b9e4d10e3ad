// A throw-away folder and whole-file helpers for native tests that touch the file system.
#pragma once

#include "tests/support/FileBytes.h"

#include <cstdlib>
#include <string>

#include <sys/stat.h>

class TempFolder {
  public:
    TempFolder() {
        char name[] = "/tmp/kestrel-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        if (!path_.empty())
            std::system(("rm -rf '" + path_ + "'").c_str());
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

using filebytes::readAll;
using filebytes::writeAll;

// Whether anything stands at the path, a dangling link included.
inline bool exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}
