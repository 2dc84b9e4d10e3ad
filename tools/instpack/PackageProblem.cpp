#include "tools/instpack/PackageProblem.h"

#include "package/PayloadFormat.h"

#include <cstdio>

std::string PackageProblem::describeIndexFailure(int code, uint32_t failedAt) {
    std::string where = " (record at payload offset " + std::to_string(failedAt) + ")";
    switch (code) {
    case payload::kBadMagic1:
    case payload::kBadMagic2:
    case payload::kBadMagic3:
        return "magic word " + std::to_string(payload::kBadMagic1 - code + 1) +
               " does not match: no payload starts at the offset";
    case payload::kBadRecordType:
        return "a record has an unknown type" + where;
    case payload::kRecordPastEnd:
        return "a record runs past the end of the payload" + where;
    case payload::kNoEndRecord:
        return "the entry list has no end record" + where;
    case payload::kNameUnterminated:
        return "an entry name has no terminating zero byte" + where;
    default:
        return "the payload cannot be read (code " + std::to_string(code) + ")";
    }
}

std::string PackageProblem::tooLong(const std::string& element, const std::string& what,
                                    size_t length, size_t fieldSize, const char* unit) {
    return element + ": " + what + " is " + std::to_string(length) + " " + unit +
           ", longer than the " + std::to_string(fieldSize - 1) + " the engine keeps whole";
}

int PackageProblem::report(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "instpack: \"%s\" %s\n", file.c_str(), what.c_str());
    return 1;
}
