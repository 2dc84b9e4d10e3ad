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

    // expand results.
    static constexpr int kExpanded = 0;
    static constexpr int kUndefined = -1;
    static constexpr int kTooLong = -2;

    VariableStore() : variables_(5) {}

    // Index of the variable, or -1. On success the buffer (when given) receives the value,
    // cut at size - 1 bytes.
    int get(const char* name, char* out, int size) const;
    // set results besides 0.
    static constexpr int kTooLongToSet = -1;
    // A line break in a name or value would end its action-log line early and let the rest read
    // as records of their own; a TAB in a name would shift the fields behind it.
    static constexpr int kLineBreak = -2;

    // Creates or overwrites; runs of path separators in the stored value fold to their last
    // separator. 0, or (nothing changed) kTooLongToSet when the name or the value does not fit
    // or memory runs out, kLineBreak when either holds CR or LF or the name holds a TAB.
    int set(const char* name, const char* value);
    // Copies text into out[size], replacing each bracket reference by the variable's value,
    // inserted verbatim. kUndefined (out holds the text before the reference) or kTooLong (out
    // holds what fitted) when the text cannot be expanded whole. A null text gives "".
    int expand(const char* text, char* out, int size) const;

    // The text with every reference to a defined variable replaced and every other bracket
    // kept as it stands (a section header is not a variable); never cut.
    std::string expandKnown(const char* text, size_t length) const;

    int count() const { return variables_.count(); }
    const Variable& at(int index) const { return variables_[index]; }

  private:
    RecordList<Variable> variables_;
};
