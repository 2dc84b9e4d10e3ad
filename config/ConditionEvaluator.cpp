#include "config/ConditionEvaluator.h"

#include "config/VariableStore.h"

#include <cstring>

// The parser descends once per opening parenthesis. The expanded text is at most
// kTextSize - 1 bytes, so the depth is bounded by that and not by the description.

bool ConditionEvaluator::evaluate(const VariableStore& variables, const char* condition) {
    return assess(variables, condition) != Outcome::kDoesNotHold;
}

bool ConditionEvaluator::evaluateExpanded(const char* text) {
    return assessExpanded(text) != Outcome::kDoesNotHold;
}

ConditionEvaluator::Outcome ConditionEvaluator::assess(const VariableStore& variables,
                                                       const char* condition) {
    if (condition == nullptr || condition[0] == '\0')
        return Outcome::kHolds;
    char text[kTextSize];
    VariableStore::Expansion expanded = variables.expand(condition, text, sizeof text);
    if (expanded == VariableStore::Expansion::kUndefined)
        return Outcome::kDoesNotHold;
    if (expanded != VariableStore::Expansion::kExpanded)
        return Outcome::kUnparsable;
    return assessExpanded(text);
}

ConditionEvaluator::Outcome ConditionEvaluator::assessExpanded(const char* text) {
    if (text == nullptr)
        return Outcome::kHolds;
    ConditionEvaluator parser(text);
    bool holds = parser.expression();
    if (parser.failed_)
        return Outcome::kUnparsable;
    return holds ? Outcome::kHolds : Outcome::kDoesNotHold;
}

void ConditionEvaluator::skipBlanks() {
    while (*cursor_ == ' ' || *cursor_ == '\t')
        ++cursor_;
}

bool ConditionEvaluator::expression() {
    // Every operand is evaluated: there is no short cut.
    bool any = andTerm();
    for (;;) {
        skipBlanks();
        if (failed_ || *cursor_ != ';')
            return any;
        ++cursor_;
        if (andTerm())
            any = true;
    }
}

bool ConditionEvaluator::andTerm() {
    bool all = comparison();
    for (;;) {
        skipBlanks();
        if (failed_ || *cursor_ != ',')
            return all;
        ++cursor_;
        if (!comparison())
            all = false;
    }
}

bool ConditionEvaluator::comparison() {
    Number left = value();
    skipBlanks();
    if (failed_ || (*cursor_ != '=' && *cursor_ != '!'))
        return left.length != 0;
    bool equal = *cursor_ == '=';
    if (cursor_[1] != '=') {
        failed_ = true;
        return false;
    }
    cursor_ += 2;
    Number right = value();
    bool same =
        left.length == right.length && std::memcmp(left.digits, right.digits, left.length) == 0;
    return same == equal;
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
        bool inner = expression();
        skipBlanks();
        if (*cursor_ == ')')
            ++cursor_;
        return inner ? Number{kOne, 1} : Number{};
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
