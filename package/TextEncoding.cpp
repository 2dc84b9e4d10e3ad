#include "package/TextEncoding.h"

#include "package/Utf8Text.h"

#include <cctype>
#include <cstdlib>

namespace {
std::string folded(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c != '-' && c != '_')
            out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return out;
}

// "windows1252", "cp1252": the number after the prefix, 0 when the rest is no number.
unsigned numberAfter(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() || name.size() > prefix.size() + 5 ||
        name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    unsigned value = 0;
    for (size_t i = prefix.size(); i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i])))
            return 0;
        value = value * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return value;
}
} // namespace

bool TextEncoding::intoProcessCodePage(std::string& text, unsigned from) {
    unsigned process = processCodePage();
    if (from == process)
        return from != kUtf8 || Utf8Text::isValid(text.data(), text.size());
    std::optional<std::string> converted = from != 0 ? convert(text, from, process) : std::nullopt;
    if (!converted)
        return false;
    text = *converted;
    return true;
}

std::string TextEncoding::nameOf(unsigned codePage) {
    if (codePage == kUtf8)
        return "UTF-8";
    return "windows-" + std::to_string(codePage);
}

unsigned TextEncoding::codePageNamed(const std::string& name) {
    static const struct {
        const char* name;
        unsigned codePage;
    } kNames[] = {
        {"utf8", kUtf8},     {"utf16", kUtf16LE}, {"utf16le", kUtf16LE}, {"usascii", 20127},
        {"ascii", 20127},    {"iso88591", 28591}, {"latin1", 28591},     {"iso88592", 28592},
        {"iso88595", 28595}, {"iso88597", 28597}, {"iso885915", 28605},  {"shiftjis", 932},
        {"sjis", 932},       {"gb2312", 936},     {"gbk", 936},          {"big5", 950},
        {"euckr", 949},      {"koi8r", 20866},    {"koi8u", 21866},
    };
    std::string key = folded(name);
    for (const auto& entry : kNames) {
        if (key == entry.name)
            return entry.codePage;
    }
    if (unsigned n = numberAfter(key, "windows"))
        return n;
    return numberAfter(key, "cp");
}
