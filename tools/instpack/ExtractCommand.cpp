#include "tools/instpack/ExtractCommand.h"

#include "package/PayloadFormat.h"
#include "tools/instpack/PackageFile.h"
#include "tools/instpack/PackageProblem.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {
// Writes one entry; an empty text on success, else why it was not written.
std::string extractOne(const PackageFile& package, int index, const std::string& folder) {
    const char* name = package.entries()[index].name;
    if (!ExtractCommand::isPlainFileName(name))
        return "is not a plain file name; entry not written";
    uint32_t produced = 0;
    std::unique_ptr<unsigned char[]> data(package.unpack(index, &produced));
    if (!data)
        return "does not inflate; entry not written";
    std::string error;
    // A link planted under the entry's name is replaced, never written through.
    if (!HostFiles::writeFileReplacing(HostFiles::join(folder, name), data.get(), produced, error))
        return "cannot be written: " + error;
    return "";
}
} // namespace

bool ExtractCommand::isPlainFileName(const char* name) {
    return name[0] != '\0' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 &&
           std::strpbrk(name, "/\\") == nullptr;
}

int ExtractCommand::run(const std::string& path, const std::string& folder) {
    PackageFile package;
    std::string error;
    if (!package.load(path, error))
        return PackageProblem::report(path, error);
    uint32_t failedAt = 0;
    int result = package.index(&failedAt);
    if (result != payload::kOk)
        return PackageProblem::report(
            path, "is damaged: " + PackageProblem::describeIndexFailure(result, failedAt));
    // A link standing where the folder is expected could send every file elsewhere; only a
    // name that asks for the folder behind it ("DIR/") goes through.
    if (HostFiles::isSymbolicLink(folder))
        return PackageProblem::report(folder, "is a symbolic link; not followed (write \"" +
                                                  folder + "/\" to extract behind it)");
    if (!HostFiles::makeDirectories(folder, error))
        return PackageProblem::report(folder, "cannot be created: " + error);
    int failures = 0;
    for (int i = 0; i < package.entries().count(); ++i) {
        std::string problem = extractOne(package, i, folder);
        if (!problem.empty()) {
            std::fprintf(stderr, "instpack: entry \"%s\" %s\n", package.entries()[i].name,
                         problem.c_str());
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
