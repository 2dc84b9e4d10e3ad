// Whether two path texts name one folder. Lists of folders (PATH, a host program's plug-in
// folders) are written by hand and by other installers, so the same folder turns up in other
// spellings; adding it again would make the undo remove an entry that was there before.
#pragma once

#include <string>

class DirectoryMatch {
  public:
    DirectoryMatch() = delete;

    // A test (listed entry, wanted folder) that a caller may add to the text comparison.
    using Probe = bool (*)(const std::string& listed, const std::string& wanted);

    // The same folder written differently: letter case, quotes, slash or backslash, trailing
    // separators.
    static bool sameText(const std::string& listed, const std::string& wanted);
    // sameText, or else the probe when one is given.
    static bool same(const std::string& listed, const std::string& wanted, Probe probe);
    // The file system's own answer (short names, links): a probe file written below `wanted`
    // is looked for below `listed`. False when the probe cannot be written, or when a file of
    // the probe's name is already there (it is not ours to overwrite or delete).
    static bool isSameDirectory(const std::string& listed, const std::string& wanted);
};
