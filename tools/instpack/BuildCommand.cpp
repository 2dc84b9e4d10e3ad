#include "tools/instpack/BuildCommand.h"

#include "config/XmlDocument.h"
#include "config/XmlEncoding.h"
#include "package/Utf8Text.h"
#include "tools/instpack/DescriptionChecker.h"
#include "tools/instpack/DescriptionScanner.h"
#include "tools/instpack/PackagePlan.h"
#include "tools/instpack/PackageProblem.h"
#include "tools/instpack/PayloadMarkerField.h"
#include "tools/instpack/PayloadWriter.h"
#include "tools/instpack/Progress.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

namespace {
// A resource file stands for the entry named like the file without its extension.
bool namesEntry(const std::string& fileName, const std::string& entry) {
    if (fileName == entry)
        return true;
    size_t dot = fileName.rfind('.');
    return dot != std::string::npos && dot > 0 && fileName.compare(0, dot, entry) == 0 &&
           dot == entry.size();
}

// References are written for Windows; either separator names a folder.
std::string hostPath(std::string reference) {
    for (char& c : reference) {
        if (c == '\\')
            c = '/';
    }
    return reference;
}
} // namespace

int BuildCommand::run() {
    PackagePlan plan;
    entryUsed_.assign(options_.entries.size(), false);
    if (!options_.resources.empty()) {
        if (HostFiles::isDirectory(options_.resources))
            resourceFiles_ = HostFiles::listFiles(options_.resources);
        else
            plan.addProblem("the resources folder " + PackageProblem::quoted(options_.resources) +
                            " does not exist");
    }
    planDescription(plan);
    planEngine(plan);
    planOutput(plan);
    reportWarnings(plan);
    if (!plan.problems().empty()) {
        for (const std::string& problem : plan.problems())
            std::fprintf(stderr, "instpack: %s\n", problem.c_str());
        std::fprintf(stderr, "instpack: %zu problem(s); %s not written\n", plan.problems().size(),
                     options_.out.c_str());
        return 1;
    }
    std::string error;
    if (!write(plan, error)) {
        std::fprintf(stderr, "instpack: %s; %s not written\n", error.c_str(), options_.out.c_str());
        return 1;
    }
    return 0;
}

void BuildCommand::planDescription(PackagePlan& plan) {
    Bytes text;
    std::string error;
    if (!HostFiles::readFile(options_.description, text, error)) {
        plan.addProblem("the description " + PackageProblem::quoted(options_.description) +
                        " cannot be read: " + error);
        return;
    }
    // Checked as the engine will read it; packed as written, since the engine decodes it again
    // in the code pages of the machine it runs on.
    XmlEncoding::Decoded decoded =
        XmlEncoding::decode(reinterpret_cast<const char*>(text.data()), text.size());
    if (!decoded.ok) {
        plan.addProblem("the description " + PackageProblem::quoted(options_.description) +
                        " cannot be read: " + decoded.problem);
        return;
    }
    if (decoded.source == XmlEncoding::Source::kSystemDefault &&
        Utf8Text::hasNonAscii(reinterpret_cast<const char*>(text.data()), text.size()))
        plan.addWarning("the description declares no encoding but holds non-ASCII bytes; the "
                        "engine reads them in the ANSI code page of each machine it runs on "
                        "(declare encoding=\"UTF-8\" or the code page it is written in)");
    XmlDocument document;
    document.parse(decoded.text.data(), decoded.text.size());
    DescriptionFindings findings =
        DescriptionChecker::check(document, decoded.text.data(), decoded.text.size());
    for (const std::string& error : findings.errors)
        plan.addProblem(error);
    for (const std::string& warning : findings.warnings)
        plan.addWarning(warning);
    plan.addData("install.xml", std::filesystem::path(options_.description).filename().string(),
                 std::move(text));
    DescriptionNeeds needs = DescriptionScanner::scan(document);
    if (!needs.hasProductDesc)
        plan.addProblem("the description has no ProductDesc element; the engine refuses it");
    for (const std::string& problem : needs.problems)
        plan.addProblem(problem);
    planFiles(needs, plan);
    planResources(needs, plan);
}

void BuildCommand::planFiles(const DescriptionNeeds& needs, PackagePlan& plan) {
    for (const FileReference& file : needs.files)
        plan.addFile(file.alias, HostFiles::join(options_.sourceRoot, hostPath(file.path)),
                     file.path);
}

void BuildCommand::planResources(const DescriptionNeeds& needs, PackagePlan& plan) {
    std::set<std::string> seen;
    for (const WizardResource& resource : needs.resources) {
        if (!seen.insert(resource.name).second)
            continue;
        if (!addNamedResource(resource.name, plan) && !plan.provides(resource.name))
            plan.addProblem("the description names entry " + PackageProblem::quoted(resource.name) +
                            " (" + resource.element + ") but nothing provides it");
    }
    // The application icon is optional: packed when there is one.
    addNamedResource("AppIcon", plan);
    for (size_t i = 0; i < options_.entries.size(); ++i) {
        if (!entryUsed_[i])
            plan.addResource(options_.entries[i].first, options_.entries[i].second,
                             options_.entries[i].second);
    }
}

bool BuildCommand::addNamedResource(const std::string& name, PackagePlan& plan) {
    bool found = false;
    for (size_t i = 0; i < options_.entries.size(); ++i) {
        if (options_.entries[i].first == name) {
            plan.addResource(name, options_.entries[i].second, options_.entries[i].second);
            entryUsed_[i] = true;
            found = true;
        }
    }
    if (found || plan.provides(name))
        return found;
    std::vector<std::string> candidates;
    for (const std::string& file : resourceFiles_) {
        if (namesEntry(file, name))
            candidates.push_back(file);
    }
    if (candidates.size() > 1) {
        std::string list;
        for (const std::string& file : candidates)
            list += (list.empty() ? "" : ", ") + PackageProblem::quoted(file);
        plan.addProblem("several resource files could be entry " + PackageProblem::quoted(name) +
                        ": " + list);
        return true;
    }
    if (candidates.empty())
        return false;
    plan.addResource(name, HostFiles::join(options_.resources, candidates[0]), candidates[0]);
    return true;
}

void BuildCommand::planEngine(PackagePlan& plan) {
    if (options_.payloadOnly)
        return;
    std::string error;
    if (!HostFiles::readFile(options_.engine, engine_, error)) {
        plan.addProblem("the engine " + PackageProblem::quoted(options_.engine) +
                        " cannot be read: " + error);
        return;
    }
    PayloadMarkerField::Found field = PayloadMarkerField::inEngine(engine_.data(), engine_.size());
    if (field.state != PayloadMarkerField::State::Unpatched)
        plan.addProblem("the engine " + PackageProblem::quoted(options_.engine) + " " +
                        PayloadMarkerField::describe(field.state));
    else if (engine_.size() > 0x7fffffffu)
        plan.addProblem("the engine " + PackageProblem::quoted(options_.engine) +
                        " is larger than 2 GiB");
    markerPosition_ = field.position;
}

void BuildCommand::planOutput(PackagePlan& plan) {
    std::vector<std::string> inputs = {options_.description};
    if (!options_.payloadOnly)
        inputs.push_back(options_.engine);
    for (const PlannedEntry& entry : plan.entries()) {
        if (!entry.path.empty())
            inputs.push_back(entry.path);
    }
    // Compared by identity, so that another spelling of an input's path is caught as well.
    for (const std::string& input : inputs) {
        if (HostFiles::isSameFile(options_.out, input))
            plan.addProblem("--out " + PackageProblem::quoted(options_.out) +
                            " is the same file as the input " + PackageProblem::quoted(input) +
                            "; writing it would destroy that input");
    }
}

void BuildCommand::reportWarnings(PackagePlan& plan) {
    for (const std::string& warning : plan.warnings()) {
        if (options_.strict)
            plan.addProblem("warning made an error by --strict: " + warning);
        else
            std::fprintf(stderr, "instpack: warning: %s\n", warning.c_str());
    }
}

bool BuildCommand::write(const PackagePlan& plan, std::string& error) {
    // Written beside the target and renamed at the end, so that a failed build never leaves a
    // partial installer under the name a person or a pipeline would use. The name is unique to
    // the run: two builds to one output never write into each other's file.
    std::string partial;
    if (!HostFiles::createTemporary(options_.out, partial, error))
        return false;
    bool written =
        writeTo(partial, plan, error) && HostFiles::replaceFile(partial, options_.out, error);
    if (!written) {
        HostFiles::removeFile(partial);
        return false;
    }
    if (!options_.payloadOnly)
        HostFiles::makeExecutable(options_.out);
    return true;
}

bool BuildCommand::writeTo(const std::string& path, const PackagePlan& plan, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        error = "cannot create " + PackageProblem::quoted(path);
        return false;
    }
    if (!options_.payloadOnly) {
        PayloadMarkerField::patch(engine_.data(), markerPosition_,
                                  static_cast<uint32_t>(engine_.size()));
        out.write(reinterpret_cast<const char*>(engine_.data()),
                  static_cast<std::streamsize>(engine_.size()));
    }
    PayloadWriter writer(out);
    Progress progress(plan.entries().size(), plan.totalSize(), HostFiles::errorsGoToTerminal());
    if (!writer.begin(error))
        return false;
    if (!writeEntries(writer, plan, progress, error))
        return false;
    progress.finish();
    if (!writer.finish(error))
        return false;
    out.close();
    if (!out) {
        error = "cannot write " + PackageProblem::quoted(path);
        return false;
    }
    return true;
}

// Entries are read and compressed a batch at a time: enough of them to keep every core busy,
// within a bounded amount of memory, and written in plan order. An entry larger than a block
// is packed on its own, block by block, and written as it is packed.
bool BuildCommand::writeEntries(PayloadWriter& writer, const PackagePlan& plan, Progress& progress,
                                std::string& error) {
    constexpr uint64_t kBatchBytes = uint64_t{64} << 20;
    constexpr size_t kBatchEntries = 1024;
    const std::vector<PlannedEntry>& entries = plan.entries();
    EntryCompressor compressor(options_.jobs);
    std::vector<EntryBytes> batch;
    std::vector<const EntryBytes*> data;
    std::vector<EntryCompressor::Packed> packed;
    uint64_t bytes = 0;
    // Packs and writes the batch, the entries just before `end`.
    auto writeBatch = [&](size_t end) {
        data.clear();
        for (const EntryBytes& entry : batch)
            data.push_back(&entry);
        compressor.compress(data, packed);
        size_t first = end - batch.size();
        for (size_t i = 0; i < batch.size(); ++i) {
            const PlannedEntry& entry = entries[first + i];
            if (!writer.addEntry(entry.name, entry.sourceName, entry.kind, batch[i].size(),
                                 packed[i], error))
                return false;
            progress.advance(batch[i].size());
        }
        batch.clear();
        bytes = 0;
        return true;
    };
    for (size_t next = 0; next < entries.size(); ++next) {
        EntryBytes current;
        if (!PackagePlan::entryData(entries[next], current, error) ||
            !PayloadWriter::checkEntry(entries[next].name, current.size(), error))
            return false;
        if (current.size() <= EntryCompressor::kBlockSize) {
            bytes += current.size();
            batch.push_back(std::move(current));
            if ((bytes >= kBatchBytes || batch.size() >= kBatchEntries) && !writeBatch(next + 1))
                return false;
            continue;
        }
        if (!writeBatch(next) ||
            !writeLargeEntry(writer, compressor, entries[next], current, error))
            return false;
        progress.advance(current.size());
    }
    return writeBatch(entries.size());
}

bool BuildCommand::writeLargeEntry(PayloadWriter& writer, const EntryCompressor& compressor,
                                   const PlannedEntry& entry, const EntryBytes& data,
                                   std::string& error) {
    unsigned char md5[16];
    auto write = [&writer, &error](const unsigned char* bytes, size_t count) {
        return writer.putPiece(bytes, count, error);
    };
    if (!writer.beginEntry(entry.name, entry.sourceName, entry.kind, data.size(), error))
        return false;
    if (!compressor.compressLarge(data, write, md5)) {
        if (error.empty())
            error = "cannot compress entry \"" + entry.name + "\"";
        return false;
    }
    return writer.endEntry(md5, error);
}
