#include "ui/RunningAppsCheck.h"

#include "system/SystemChanges.h"
#include "ui/InstallerUI.h"

#include <cstring>
#include <new>

RunningAppsCheck::~RunningAppsCheck() {
    clearNames();
}

bool RunningAppsCheck::check(InstallerUI* ui) {
    if (ui == nullptr || names_.count() == 0)
        return true;
    bool noneRuns = true;
    // Every name is tested, so that the user sees all the programs to close at once.
    for (int i = 0; i < names_.count(); ++i) {
        if (!system_.isAppRunning(names_[i]))
            continue;
        if (report_)
            ui->reportLine(names_[i]);
        noneRuns = false;
    }
    return noneRuns;
}

void RunningAppsCheck::clearNames() {
    for (int i = 0; i < names_.count(); ++i)
        delete[] names_[i];
    names_.clear();
}

bool RunningAppsCheck::addName(const char* moduleName) {
    size_t length = std::strlen(moduleName);
    char* copy = new (std::nothrow) char[length + 1];
    if (copy == nullptr)
        return false;
    std::memcpy(copy, moduleName, length + 1);
    if (names_.append(copy))
        return true;
    delete[] copy;
    return false;
}
