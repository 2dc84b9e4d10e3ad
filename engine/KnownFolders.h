// The folders an installation run has made or found whole, so that each is asked after once per
// run instead of once per file. In a folder the run made itself only the files it wrote can
// stand, so the names of those are kept, and a new file there needs no question to the system
// either: on some systems that question reads the whole folder.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

class KnownFolders {
  public:
    bool contains(const char* folder) const;
    // `madeLevels`: how many of the folder's deepest levels the run has just made. Each of them
    // holds only what the run puts there, the levels below it included, so a folder made for
    // one file is known as made when the files of its parent follow.
    void add(const char* folder, int madeLevels);
    // False only when nothing can stand at `name` in `folder`: the run made the folder and wrote
    // no file there that the system could take for that name.
    bool mayHold(const char* folder, const char* name) const;
    // Whether the run made `folder` (with its separator) itself.
    bool wasMade(const std::string& folder) const { return made_.count(folder) != 0; }
    // A file is about to be created at `name` in `folder`.
    void noteWritten(const char* folder, const char* name);

  private:
    struct MadeFolder {
        std::unordered_set<std::string> names; // in lower case
        // Names the system may alias to others (other letters than ASCII ones, short names,
        // stream names, trailing dots or blanks) make every name of the folder a question.
        bool plain = true;
    };
    // The name in lower case, or "" when the system might take another name for it.
    static std::string plainName(const char* name);

    std::unordered_set<std::string> seen_;
    std::unordered_map<std::string, MadeFolder> made_;
};
