#include "engine/RunReport.h"

#include "ui/InstallerUI.h"

int reportFormatted(InstallerUI& ui, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    boundedFormatV(text, sizeof text, format, args);
    va_end(args);
    return ui.reportLine(0, 0, text, 0, 0);
}
