#include "startup/RelaunchCommand.h"

#include "package/BoundedText.h"

int buildRelaunchCommand(char* buffer, int size, const char* executableCopy, const char* logCopy,
                         const char* uninstallApp, int gui, int quiet) {
    int result =
        boundedFormat(buffer, size, "\"%s\" -uninstallFile=\"%s\"", executableCopy, logCopy);
    if (result >= 0 && uninstallApp != nullptr) {
        char option[kRelaunchCommandSize];
        result = boundedFormat(option, sizeof option, " -uninstallApp=\"%s\"", uninstallApp);
        if (result >= 0)
            result = appendText(buffer, size, option);
    }
    if (result >= 0 && gui == 0)
        result = appendText(buffer, size, " -gui=0");
    if (result >= 0 && quiet != 0)
        result = appendText(buffer, size, " -quiet=1");
    if (result < 0) {
        if (size > 0)
            buffer[0] = '\0';
        return -1;
    }
    return 0;
}
