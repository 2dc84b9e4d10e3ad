// `instpack build`: gathers every entry a description needs, reports every problem at once,
// and writes the installer (engine image with its offset field patched, then the payload) or
// a bare payload.
#pragma once

#include "tools/instpack/BuildOptions.h"
#include "tools/instpack/HostFiles.h"

#include <string>
#include <vector>

class EntryBytes;
class EntryCompressor;
class PackagePlan;
struct DescriptionNeeds;
struct PlannedEntry;

class PayloadWriter;
class Progress;

class BuildCommand {
  public:
    explicit BuildCommand(const BuildOptions& options) : options_(options) {}
    // 0 when the output was written; 1 after listing the problems that stopped the build.
    int run();

  private:
    void planDescription(PackagePlan& plan);
    void planFiles(const DescriptionNeeds& needs, PackagePlan& plan);
    void planResources(const DescriptionNeeds& needs, PackagePlan& plan);
    // Looks for the entry among --entry and the resources folder; false when nothing has it.
    bool addNamedResource(const std::string& name, PackagePlan& plan);
    void planEngine(PackagePlan& plan);
    // Refuses an output that is one of the build's inputs.
    void planOutput(PackagePlan& plan);
    // Prints the warnings, or with --strict makes them problems.
    void reportWarnings(PackagePlan& plan);
    bool write(const PackagePlan& plan, std::string& error);
    bool writeTo(const std::string& path, const PackagePlan& plan, std::string& error);
    bool writeEntries(PayloadWriter& writer, const PackagePlan& plan, Progress& progress,
                      std::string& error);
    static bool writeLargeEntry(PayloadWriter& writer, const EntryCompressor& compressor,
                                const PlannedEntry& entry, const EntryBytes& data,
                                std::string& error);

    const BuildOptions& options_;
    std::vector<std::string> resourceFiles_;
    std::vector<bool> entryUsed_;
    Bytes engine_;
    size_t markerPosition_ = 0;
};
