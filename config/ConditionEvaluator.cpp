#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <cstring>

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
    Number left = value();
    skipBlanks();
    if (failed_ || (*cursor_ != '=' && *cursor_ != '!'))
        return left.length != 0 ? 1 : 0;
    bool equal = *cursor_ == '=';
    if (cursor_[1] != '=') {
        failed_ = true;
        return 0;
    }
    cursor_ += 2;
    Number right = value();
    bool same =
        left.length == right.length && std::memcmp(left.digits, right.digits, left.length) == 0;
    return same == equal ? 1 : 0;
}

// Numbers of any length compare exactly: registry values reach 64 bits and beyond, and a
// number read into a machine word would wrap and make unequal numbers equal.
ConditionEvaluator::Number ConditionEvaluator::value() {
    static const char kOne[] = "1";
    skipBlanks();
    if (failed_)
        return {};
    if (*cursor_ == '(') {
        ++cursor_;
        int inner = expression();
        skipBlanks();
        if (*cursor_ == ')')
            ++cursor_;
        return inner != 0 ? Number{kOne, 1} : Number{};
    }
    if (*cursor_ < '0' || *cursor_ > '9') {
        failed_ = true;
        return {};
    }
    while (*cursor_ == '0')
        ++cursor_;
    Number number{cursor_, 0};
    while (*cursor_ >= '0' && *cursor_ <= '9')
        ++cursor_;
    number.length = static_cast<size_t>(cursor_ - number.digits);
    return number;
}
