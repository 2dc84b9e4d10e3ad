// The installation's named variables and the substitution of a variable name written in
// square brackets, which every expandable text of the description shares.
//
// Values are kept whole up to kValueSize - 1 bytes (a chosen folder longer than that is
// refused where it is set, never stored cut, since a cut folder would be a different folder).
// Names longer than kNameSize - 1 bytes are refused for the same reason.
#pragma once

#include "package/RecordList.h"

#include <string>

struct Variable {
    char name[256];
    char value[1024];
};

class VariableStore {
  public:
    static constexpr int kNameSize = sizeof(Variable::name);
    static constexpr int kValueSize = sizeof(Variable::value);
    // The longest name a bracket reference may carry; a longer one is undefined.
    static constexpr int kReferenceNameLimit = 29;

    // What came of an expansion.
    enum class Expansion {
        kExpanded,
        // A reference names no variable (or a name longer than kReferenceNameLimit).
        kUndefined,
        // The expanded text does not fit the buffer.
        kTooLong,
    };
    // What came of setting a variable.
    enum class SetResult {
        kSet,
        // The name or the value does not fit, or memory ran out.
        kTooLong,
        // The name or the value holds CR or LF, or the name a TAB: a line break would end its
        // action-log line early and let the rest read as records of their own; a TAB in a name
        // would shift the fields behind it.
        kLineBreak,
    };

    VariableStore() : variables_(5) {}

    // Index of the variable, or -1. On success the buffer (when given) receives the value,
    // cut at size - 1 bytes.
    int get(const char* name, char* out, int size) const;

    // Creates or overwrites; runs of path separators in the stored value fold to their last
    // separator. Anything but kSet leaves the store as it was (a null name is kTooLong).
    SetResult set(const char* name, const char* value);
    // Copies text into out[size], replacing each bracket reference by the variable's value,
    // inserted verbatim. kUndefined (out holds the text before the reference) or kTooLong (out
    // holds what fitted) when the text cannot be expanded whole. A null text gives "".
    Expansion expand(const char* text, char* out, int size) const;

    // The text with every reference to a defined variable replaced and every other bracket
    // kept as it stands (a section header is not a variable); never cut.
    std::string expandKnown(const char* text, size_t length) const;

    int count() const { return variables_.count(); }
    const Variable& at(int index) const { return variables_[index]; }

  private:
    RecordList<Variable> variables_;
};
