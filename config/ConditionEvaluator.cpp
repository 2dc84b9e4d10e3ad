#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <cstdint>

// The parser descends once per opening parenthesis. The expanded text is at most
// kTextSize - 1 bytes, so the depth is bounded by that and not by the description.

int ConditionEvaluator::evaluate(const VariableStore& variables, const char* condition) {
    if (condition == nullptr || condition[0] == '\0')
        return kHolds;
    char text[kTextSize];
    int expanded = variables.expand(condition, text, sizeof text);
    if (expanded == VariableStore::kUndefined)
        return kDoesNotHold;
    if (expanded != VariableStore::kExpanded)
        return kUnparsable;
    return evaluateExpanded(text);
}

int ConditionEvaluator::evaluateExpanded(const char* text) {
    if (text == nullptr)
        return kHolds;
    ConditionEvaluator parser(text);
    int result = parser.expression();
    return parser.failed_ ? kUnparsable : result;
}

void ConditionEvaluator::skipBlanks() {
    while (*cursor_ == ' ' || *cursor_ == '\t')
        ++cursor_;
}

int ConditionEvaluator::expression() {
    // Every operand is evaluated: there is no short cut.
    int any = andTerm() != 0;
    for (;;) {
        skipBlanks();
        if (failed_ || *cursor_ != ';')
            return any;
        ++cursor_;
        if (andTerm() != 0)
            any = 1;
    }
}

int ConditionEvaluator::andTerm() {
    int all = comparison() != 0;
    for (;;) {
        skipBlanks();
        if (failed_ || *cursor_ != ',')
            return all;
        ++cursor_;
        if (comparison() == 0)
            all = 0;
    }
}

int ConditionEvaluator::comparison() {
    int left = value();
    skipBlanks();
    if (failed_ || (*cursor_ != '=' && *cursor_ != '!'))
        return left;
    bool equal = *cursor_ == '=';
    if (cursor_[1] != '=') {
        failed_ = true;
        return 0;
    }
    cursor_ += 2;
    int right = value();
    return (left == right) == equal ? 1 : 0;
}

int ConditionEvaluator::value() {
    skipBlanks();
    if (failed_)
        return 0;
    if (*cursor_ == '(') {
        ++cursor_;
        int inner = expression();
        skipBlanks();
        if (*cursor_ == ')')
            ++cursor_;
        return inner;
    }
    if (*cursor_ < '0' || *cursor_ > '9') {
        failed_ = true;
        return 0;
    }
    // Read as a 32-bit number; longer digit runs wrap rather than overflow.
    uint32_t number = 0;
    while (*cursor_ >= '0' && *cursor_ <= '9')
        number = number * 10u + static_cast<uint32_t>(*cursor_++ - '0');
    return static_cast<int>(static_cast<int32_t>(number));
}
