#include "tools/instpack/ListCommand.h"

#include "package/PayloadFormat.h"
#include "tools/instpack/PackageFile.h"
#include "tools/instpack/PackageProblem.h"

#include <cstdio>

namespace {
const char* kindName(uint32_t kind) {
    return kind == payload::kKindImage ? "image" : kind == payload::kKindOther ? "data" : "other";
}
} // namespace

int ListCommand::run(const std::string& path) {
    PackageFile package;
    std::string error;
    if (!package.load(path, error))
        return PackageProblem::report(path, error);
    uint32_t failedAt = 0;
    int result = package.index(&failedAt);
    std::printf("%s: %s, payload at offset %u, %d entries\n", path.c_str(),
                package.isInstaller() ? "installer" : "bare payload", package.payloadOffset(),
                package.entries().count());
    std::printf("%10s %10s %-5s %s\n", "SIZE", "PACKED", "KIND", "NAME");
    for (int i = 0; i < package.entries().count(); ++i) {
        const PayloadEntry& entry = package.entries()[i];
        std::printf("%10u %10u %-5s %s\n", entry.size, entry.compressedSize, kindName(entry.kind),
                    entry.name);
    }
    if (result != payload::kOk)
        return PackageProblem::report(
            path, "is damaged: " + PackageProblem::describeIndexFailure(result, failedAt));
    return 0;
}
