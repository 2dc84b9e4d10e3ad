// To come: until then a description's items change nothing and record nothing.
#include "engine/InstallationItems.h"

int InstallationItems::applyEnvironmentItems() {
    return 0;
}
int InstallationItems::applyIniItems() {
    return 0;
}
int InstallationItems::applyShortcutItems() {
    return 0;
}

InstallationItems::InstallationItems(const XmlDocument&, const VariableStore&, SystemChanges&,
                                     ActionLog&, InstallerUI&) {}
