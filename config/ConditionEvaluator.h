// The condition language of the description: numbers compared with == and !=, joined with
// ',' (and) and ';' (or), grouped with parentheses, after the variables in brackets have been
// substituted.
#pragma once

#include <cstddef>

class VariableStore;

class ConditionEvaluator {
  public:
    enum class Outcome {
        kHolds,
        kDoesNotHold,
        // Callers take a condition that cannot be parsed as holding.
        kUnparsable,
    };
    // The expanded condition's buffer; a condition that does not fit is unparsable.
    static constexpr int kTextSize = 512;

    // Whether the condition holds: false only when it is parsed and does not hold. Null or empty
    // holds; an undefined variable does not hold.
    static bool evaluate(const VariableStore& variables, const char* condition);
    // The same over a text whose variables are already substituted.
    static bool evaluateExpanded(const char* text);
    // What evaluate decides from, with an unparsable condition told apart from one that holds.
    static Outcome assess(const VariableStore& variables, const char* condition);

  private:
    // A decimal number as its significant digits (none for zero).
    struct Number {
        const char* digits = "";
        size_t length = 0;
    };

    explicit ConditionEvaluator(const char* text) : cursor_(text) {}

    static Outcome assessExpanded(const char* text);
    bool expression();
    bool andTerm();
    bool comparison();
    Number value();
    void skipBlanks();

    const char* cursor_;
    bool failed_ = false;
};
