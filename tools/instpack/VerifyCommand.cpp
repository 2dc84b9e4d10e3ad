#include "tools/instpack/VerifyCommand.h"

#include "package/PayloadFormat.h"
#include "package/PayloadIndex.h"
#include "tools/instpack/Md5Digest.h"
#include "tools/instpack/PackageFile.h"
#include "tools/instpack/PackageProblem.h"

#include <cstdio>
#include <cstring>
#include <memory>

int VerifyCommand::run(const std::string& path) {
    PackageFile package;
    std::string error;
    if (!package.load(path, error))
        return PackageProblem::report(path, error);
    std::string damage = firstDamage(package);
    if (!damage.empty())
        return PackageProblem::report(path, "is damaged: " + damage);
    std::printf("%s: OK, %d entries\n", path.c_str(), package.entries().count());
    return 0;
}

std::string VerifyCommand::firstDamage(PackageFile& package) {
    uint32_t failedAt = 0;
    int result = package.index(&failedAt);
    if (result != payload::kOk)
        return PackageProblem::describeIndexFailure(result, failedAt);
    for (int i = 0; i < package.entries().count(); ++i) {
        std::string damage = checkEntry(package, i);
        if (!damage.empty())
            return damage;
    }
    return checkTotals(package);
}

std::string VerifyCommand::checkEntry(const PackageFile& package, int index) {
    PayloadRecordHeader header =
        PayloadIndex::recordHeader(package.payload(), package.entries()[index]);
    std::string entry = "entry " + std::to_string(index + 1) + " \"" + header.name + "\"";
    uint32_t produced = 0;
    std::unique_ptr<unsigned char[]> data(package.unpack(index, &produced));
    if (!data)
        return entry + " does not inflate within its stated size of " +
               std::to_string(header.size) + " bytes";
    if (produced != header.size)
        return entry + " inflates to " + std::to_string(produced) + " bytes, its record says " +
               std::to_string(header.size);
    unsigned char digest[Md5Digest::kSize];
    if (!Md5Digest::compute(data.get(), produced, digest) ||
        std::memcmp(digest, header.md5, sizeof digest) != 0)
        return entry + " does not match its MD5 digest";
    return "";
}

std::string VerifyCommand::checkTotals(const PackageFile& package) {
    uint64_t unpacked = 0;
    uint64_t packed = 0;
    for (int i = 0; i < package.entries().count(); ++i) {
        unpacked += package.entries()[i].size;
        packed += package.entries()[i].compressedSize;
    }
    const unsigned char* totals = package.payload() + 12;
    uint32_t expected[3] = {unpacked > 0xffffffffu ? 0xffffffffu : static_cast<uint32_t>(unpacked),
                            packed > 0xffffffffu ? 0xffffffffu : static_cast<uint32_t>(packed),
                            static_cast<uint32_t>(package.entries().count())};
    for (int i = 0; i < 3; ++i) {
        if (payload::readLittleEndian32(totals + 4 * i) != expected[i])
            return "the payload header's totals do not match its records";
    }
    return "";
}
