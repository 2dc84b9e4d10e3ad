#include "engine/RunReport.h"

#include "package/RunReporter.h"

bool reportFormatted(RunReporter& ui, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    boundedFormatV(text, sizeof text, format, args);
    va_end(args);
    return ui.report(text);
}
