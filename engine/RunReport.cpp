#include "engine/RunReport.h"

#include "package/RunReporter.h"
#include "package/WinFile.h"

bool reportFormatted(RunReporter& ui, const char* format, ...) {
    // A line names a whole path (up to 777 bytes in UTF-8) beside its phrase and reason.
    char text[2 * fileaccess::kPathSize];
    va_list args;
    va_start(args, format);
    boundedFormatV(text, sizeof text, format, args);
    va_end(args);
    return ui.report(text);
}
