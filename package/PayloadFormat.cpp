#include "package/PayloadFormat.h"

namespace payload {
const char* describeOpenFailure(int code) {
    switch (code) {
    case kActionLogMissing:
        return "cannot be opened";
    case kCannotOpen:
        return "cannot be opened";
    case kCannotSeek:
    case kCannotRead:
    case kRecordPastEnd:
    case kNoEndRecord:
        return "is truncated";
    case kBadMagic1:
    case kBadMagic2:
    case kBadMagic3:
        return "is not an installer package";
    default:
        return "has a damaged entry list";
    }
}
} // namespace payload
