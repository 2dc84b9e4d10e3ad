// To come: until then nothing is undone and the run counts as failed.
#include "engine/UninstallRun.h"

int UninstallRun::perform(std::FILE*, const char*) {
    return -1;
}

UninstallRun::UninstallRun(const XmlDocument&, VariableStore&, SystemChanges&, InstallerUI&) {}
