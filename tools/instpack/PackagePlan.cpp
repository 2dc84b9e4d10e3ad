#include "tools/instpack/PackagePlan.h"

#include "package/PayloadFormat.h"
#include "tools/instpack/ImageConverter.h"
#include "tools/instpack/PackageProblem.h"
#include "tools/instpack/PayloadWriter.h"

#include <filesystem>

namespace {
// The header's source name field holds 299 bytes; a longer path is recorded by its last part.
std::string recordedSourceName(const std::string& sourceName) {
    if (sourceName.size() < payload::kSourceNameSize)
        return sourceName;
    return std::filesystem::path(sourceName).filename().string();
}
} // namespace

bool PackagePlan::claim(const PlannedEntry& entry) {
    if (!PayloadWriter::fitsName(entry.name)) {
        addProblem("entry name " + PackageProblem::quoted(entry.name) + " (from " +
                   PackageProblem::quoted(entry.sourceName) +
                   ") is empty or longer than 275 bytes");
        return false;
    }
    auto taken = claimed_.find(entry.name);
    if (taken == claimed_.end()) {
        claimed_.emplace(entry.name, entry.sourceName);
        return true;
    }
    auto existing = byName_.find(entry.name);
    if (existing != byName_.end() && sameContent(entries_[existing->second], entry))
        return false;
    // A missing file has already been reported; a second source for it is not a new problem.
    if (existing != byName_.end())
        addProblem("two different files under one entry name " +
                   PackageProblem::quoted(entry.name) + ": " +
                   PackageProblem::quoted(taken->second) + " and " +
                   PackageProblem::quoted(entry.sourceName));
    return false;
}

bool PackagePlan::sameContent(const PlannedEntry& first, const PlannedEntry& second) {
    std::error_code code;
    if (!first.hasData && !second.hasData &&
        std::filesystem::equivalent(first.path, second.path, code))
        return true;
    EntryBytes a;
    EntryBytes b;
    std::string error;
    return entryData(first, a, error) && entryData(second, b, error) && a == b &&
           first.kind == second.kind;
}

void PackagePlan::append(PlannedEntry entry) {
    entry.sourceName = recordedSourceName(entry.sourceName);
    totalSize_ += entry.hasData ? entry.data.size() : entry.size;
    byName_.emplace(entry.name, entries_.size());
    entries_.push_back(std::move(entry));
}

void PackagePlan::addData(const std::string& name, const std::string& sourceName, Bytes data) {
    PlannedEntry entry{name, "", sourceName, true, std::move(data), payload::kKindOther, 0};
    if (claim(entry))
        append(std::move(entry));
}

void PackagePlan::addFile(const std::string& name, const std::string& path,
                          const std::string& sourceName) {
    PlannedEntry entry{name, path, sourceName, false, {}, payload::kKindOther, 0};
    if (!HostFiles::isRegularFile(path)) {
        if (claim(entry))
            addProblem("missing source file " + PackageProblem::quoted(path) + " for entry " +
                       PackageProblem::quoted(name));
        return;
    }
    std::error_code code;
    entry.size = std::filesystem::file_size(path, code);
    if (claim(entry))
        append(std::move(entry));
}

void PackagePlan::addResource(const std::string& name, const std::string& path,
                              const std::string& sourceName) {
    PlannedEntry entry{name, path, sourceName, false, {}, payload::kKindOther, 0};
    Bytes file;
    std::string error;
    if (!HostFiles::readFile(path, file, error)) {
        if (claim(entry))
            addProblem("missing source file " + PackageProblem::quoted(path) + " for entry " +
                       PackageProblem::quoted(name) + ": " + error);
        return;
    }
    entry.size = file.size();
    ImageConverter::Result result = ImageConverter::convert(file, entry.data, error);
    if (result == ImageConverter::Result::Failed) {
        if (claim(entry))
            addProblem("image " + PackageProblem::quoted(path) + " for entry " +
                       PackageProblem::quoted(name) + ": " + error);
        return;
    }
    if (result == ImageConverter::Result::Converted) {
        entry.hasData = true;
        entry.kind = payload::kKindImage;
    }
    if (claim(entry))
        append(std::move(entry));
}

bool PackagePlan::entryData(const PlannedEntry& entry, EntryBytes& data, std::string& error) {
    if (entry.hasData) {
        data = EntryBytes(entry.data);
        return true;
    }
    if (data.load(entry.path, entry.size, error))
        return true;
    error = "cannot read " + PackageProblem::quoted(entry.path) + ": " + error;
    return false;
}
