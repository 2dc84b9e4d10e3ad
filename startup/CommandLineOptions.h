// The process's -name=value options, parsed from the raw command line.
#pragma once

#include "package/CommandLineText.h"

#include <memory>
#include <string>
#include <vector>

class CommandLineOptions {
  public:
    enum class Parse { kParsed, kNoDash, kUnclosedQuote };

    // Skips the program name and parses the rest. Pairs parsed before an error stay.
    Parse parse(const char* commandLine);
    // The first pair whose name matches without regard to case; false when there is none. The
    // value stays valid for the life of this object.
    bool getString(const char* name, const char** out) const;
    bool getInt(const char* name, int* out) const;
    int count() const { return static_cast<int>(pairs_.size()); }
    // Capacity in slots; always a multiple of the grow step of 100.
    int capacity() const { return capacity_; }

  private:
    struct OptionPair {
        std::string name;
        std::string value;
    };
    const OptionPair* find(const char* name) const;
    void append(std::string name, std::string value);

    static constexpr int kGrowStep = 100;
    // Pairs are held through pointers so that a value handed out never moves.
    std::vector<std::unique_ptr<OptionPair>> pairs_;
    int capacity_ = 0;
};
