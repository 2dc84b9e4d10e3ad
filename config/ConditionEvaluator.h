// The condition language of the description: numbers compared with == and !=, joined with
// ',' (and) and ';' (or), grouped with parentheses, after the variables in brackets have been
// substituted.
#pragma once

#include <cstddef>

class VariableStore;

class ConditionEvaluator {
  public:
    static constexpr int kHolds = 1;
    static constexpr int kDoesNotHold = 0;
    static constexpr int kUnparsable = -1;
    // The expanded condition's buffer; a condition that does not fit is unparsable.
    static constexpr int kTextSize = 512;

    // 0 when the condition does not hold; 1 when it holds; -1 when it cannot be parsed, which
    // callers take as holding. Null or empty holds; an undefined variable does not hold.
    static int evaluate(const VariableStore& variables, const char* condition);
    // The same over a text whose variables are already substituted.
    static int evaluateExpanded(const char* text);

  private:
    // A decimal number as its significant digits (none for zero).
    struct Number {
        const char* digits = "";
        size_t length = 0;
    };

    explicit ConditionEvaluator(const char* text) : cursor_(text) {}

    int expression();
    int andTerm();
    int comparison();
    Number value();
    void skipBlanks();

    const char* cursor_;
    bool failed_ = false;
};
