// `instpack verify FILE`: the offset field, the magic words, every record, and every entry's
// size and MD5 digest. Names the first damage found.
#pragma once

#include <string>

class PackageFile;

class VerifyCommand {
  public:
    static int run(const std::string& path);
    // An empty text when the package is sound, else what is wrong first.
    static std::string firstDamage(PackageFile& package);

  private:
    static std::string checkEntry(const PackageFile& package, int index);
    static std::string checkTotals(const PackageFile& package);
};
