#include "startup/CommandLineOptions.h"

#include "package/CommandLineText.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

const char* skipProgramName(const char* text) {
    while (isBlank(*text))
        ++text;
    if (*text == '"') {
        ++text;
        while (*text != '\0' && *text != '"')
            ++text;
        if (*text == '"')
            ++text;
    } else {
        while (*text != '\0' && !isBlank(*text))
            ++text;
    }
    while (isBlank(*text))
        ++text;
    return text;
}

} // namespace

CommandLineOptions::Parse CommandLineOptions::parse(const char* commandLine) {
    if (commandLine == nullptr)
        return Parse::kParsed;
    const char* rest = skipProgramName(commandLine);
    size_t n = std::strlen(rest);
    size_t p = 0;
    while (p < n) {
        bool quoted = false;
        if (rest[p] == '"') {
            quoted = true;
            ++p;
        }
        if (rest[p] != '-')
            return Parse::kNoDash;
        ++p;
        if (rest[p] == '-')
            ++p;
        size_t nameStart = p;
        while (p < n && rest[p] != ' ' && rest[p] != '=')
            ++p;
        std::string name(rest + nameStart, p - nameStart);
        while (p < n && rest[p] == ' ')
            ++p;
        std::string value;
        if (p < n && rest[p] == '=') {
            while (p < n && (rest[p] == '=' || rest[p] == ' '))
                ++p;
            if (p < n && rest[p] == '"') {
                quoted = true;
                ++p;
            }
            size_t valueStart = p;
            if (quoted) {
                // An escaped character, a quote too, is part of the value.
                p += CommandLineText::closingQuote(rest + p, n - p);
                if (p >= n)
                    return Parse::kUnclosedQuote;
            } else {
                while (p < n && rest[p] != ' ')
                    ++p;
            }
            value = CommandLineText::unescaped(rest + valueStart, p - valueStart);
            if (p < n)
                ++p;
        }
        while (p < n && rest[p] == ' ')
            ++p;
        append(std::move(name), std::move(value));
    }
    return Parse::kParsed;
}

void CommandLineOptions::append(std::string name, std::string value) {
    int needed = count() + 1;
    if (needed > capacity_) {
        capacity_ = (needed + kGrowStep - 1) / kGrowStep * kGrowStep;
        pairs_.reserve(static_cast<size_t>(capacity_));
    }
    pairs_.push_back(
        std::unique_ptr<OptionPair>(new OptionPair{std::move(name), std::move(value)}));
}

const CommandLineOptions::OptionPair* CommandLineOptions::find(const char* name) const {
    for (const auto& pair : pairs_) {
        if (strcasecmp(pair->name.c_str(), name) == 0)
            return pair.get();
    }
    return nullptr;
}

bool CommandLineOptions::getString(const char* name, const char** out) const {
    const OptionPair* pair = find(name);
    if (pair == nullptr)
        return false;
    if (out != nullptr)
        *out = pair->value.c_str();
    return true;
}

bool CommandLineOptions::getInt(const char* name, int* out) const {
    const OptionPair* pair = find(name);
    if (pair == nullptr)
        return false;
    if (out != nullptr)
        *out = std::atoi(pair->value.c_str());
    return true;
}
