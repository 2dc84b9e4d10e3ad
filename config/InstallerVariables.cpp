// The installer object's variables: the store, the bracket substitution and the conditions.
#include "startup/Installer.h"

#include "config/ConditionEvaluator.h"

int Installer::getVariable(const char* name, char* out, int size) {
    return variables_.get(name, out, size);
}

int Installer::setVariable(const char* name, const char* value) {
    return variables_.set(name, value);
}

int Installer::expandVariables(const char* text, char* out, int size) {
    if (out == nullptr)
        return -1;
    return variables_.expand(text, out, size) == VariableStore::kExpanded ? 0 : -1;
}

int Installer::evaluateCondition(const char* condition) {
    return ConditionEvaluator::evaluate(variables_, condition);
}

int Installer::writeVariables(ActionLog& actionLog) {
    return variables_.write(actionLog);
}

int Installer::readVariables() {
    return variables_.read(actionLogFile_);
}
