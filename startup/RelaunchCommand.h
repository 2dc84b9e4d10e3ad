// The command line with which the uninstaller relaunches its temporary copy.
#pragma once

constexpr int kRelaunchCommandSize = 512;

// "<exe copy>" -uninstallFile="<log copy>" -uninstallApp="<app>" [-gui=0] [-quiet=1]
// A missing app name (null) leaves the -uninstallApp option out; quiet is passed on so that a
// silent uninstall asks nothing. Returns 0, or -1 when the command does not fit the buffer
// (nothing that could start a different program is kept).
int buildRelaunchCommand(char* buffer, int size, const char* executableCopy, const char* logCopy,
                         const char* uninstallApp, int gui, int quiet);
