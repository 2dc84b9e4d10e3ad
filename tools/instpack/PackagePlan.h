// The entries of the package to build, in the order they will be written, and every problem
// found while gathering them, so that one run can report them all.
#pragma once

#include "tools/instpack/EntryBytes.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct PlannedEntry {
    std::string name;
    std::string path;       // the file to read; empty when `data` holds the entry
    std::string sourceName; // recorded in the record header
    bool hasData = false;
    Bytes data;
    uint32_t kind = 0;
    uint64_t size = 0; // of the file, for progress
};

class PackagePlan {
  public:
    void addData(const std::string& name, const std::string& sourceName, Bytes data);
    // A file packed as it is.
    void addFile(const std::string& name, const std::string& path, const std::string& sourceName);
    // A wizard resource: PNG and BMP pictures become decoded images.
    void addResource(const std::string& name, const std::string& path,
                     const std::string& sourceName);
    // Whether some source already provides the entry (or was meant to and is missing).
    bool provides(const std::string& name) const { return claimed_.count(name) != 0; }
    void addProblem(const std::string& problem) { problems_.push_back(problem); }
    // Something the engine will probably not do as meant; the build goes on.
    void addWarning(const std::string& warning) { warnings_.push_back(warning); }

    // The bytes to write for an entry; false with a reason when the file cannot be read.
    static bool entryData(const PlannedEntry& entry, EntryBytes& data, std::string& error);

    const std::vector<PlannedEntry>& entries() const { return entries_; }
    const std::vector<std::string>& problems() const { return problems_; }
    const std::vector<std::string>& warnings() const { return warnings_; }
    uint64_t totalSize() const { return totalSize_; }

  private:
    bool claim(const PlannedEntry& entry);
    bool sameContent(const PlannedEntry& first, const PlannedEntry& second);
    void append(PlannedEntry entry);

    std::vector<PlannedEntry> entries_;
    std::unordered_map<std::string, size_t> byName_;
    std::unordered_map<std::string, std::string> claimed_; // name -> source name
    std::vector<std::string> problems_;
    std::vector<std::string> warnings_;
    uint64_t totalSize_ = 0;
};
