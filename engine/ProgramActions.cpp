// To come: until then there are no actions to start.
#include "engine/ProgramActions.h"

int ProgramActions::run(const char*) {
    return 0;
}

ProgramActions::ProgramActions(const XmlDocument&, const VariableStore&, SystemChanges&) {}
