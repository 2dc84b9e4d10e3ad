#include "engine/ProgramActions.h"

#include "config/ConditionEvaluator.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "package/Paths.h"
#include "package/WinFile.h"
#include "system/SystemChanges.h"

#include <strings.h>

namespace {
constexpr int kTextSize = 512;
}

int ProgramActions::run(const char* kind) {
    for (int element = description_.findNextByName(kind, -1); element >= 0;
         element = description_.findNextByName(kind, element)) {
        IndexList actions;
        description_.getChildren(element, &actions);
        for (int i = actions.count() - 1; i >= 0; --i)
            runAction(actions[i]);
    }
    return 0;
}

void ProgramActions::runAction(int action) {
    const char* name = description_.nodeName(action);
    bool document = strcasecmp(name, "OpenDocument") == 0;
    if (description_.nodeText(action) == nullptr ||
        !ConditionEvaluator::evaluate(variables_, description_.getAttribute(action, "Condition")) ||
        (!document && strcasecmp(name, "RunProgram") != 0))
        return;
    char path[fileaccess::kPathSize];
    char arguments[kTextSize];
    if (variables_.expand(description_.nodeText(action), path, sizeof path) !=
            VariableStore::Expansion::kExpanded ||
        variables_.expand(description_.getAttribute(action, "Arguments"), arguments,
                          sizeof arguments) != VariableStore::Expansion::kExpanded)
        return;
    collapseSeparators(path);
    if (document)
        system_.launch(path, ProgramLauncher::Kind::kDocument, nullptr);
    else
        system_.launch(path, ProgramLauncher::Kind::kProgram,
                       description_.getAttribute(action, "Arguments") != nullptr ? arguments
                                                                                 : nullptr);
}
