// Input, zero-separated: text to expand, configuration file, names and values in turns. A variable
// is set exactly when it fits whole without a line break; an expansion fits its buffer, and a
// smaller buffer gives the same text or a refusal, never another text.
#include "config/DefaultValues.h"
#include "config/VariableStore.h"
#include "config/XmlDocument.h"
#include "package/Log.h"
#include "tests/fuzz/FuzzFields.h"

#include <cstring>

namespace {
void checkSet(VariableStore& store, const std::string& name, const std::string& value) {
    using SetResult = VariableStore::SetResult;
    SetResult result = store.set(name.c_str(), value.c_str());
    bool lineBreak = name.find_first_of("\t\r\n") != std::string::npos ||
                     value.find_first_of("\r\n") != std::string::npos;
    bool fits = name.size() < static_cast<size_t>(VariableStore::kNameSize) &&
                value.size() < static_cast<size_t>(VariableStore::kValueSize);
    SetResult expected = fits ? SetResult::kSet : SetResult::kTooLong;
    if (lineBreak)
        expected = SetResult::kLineBreak;
    if (result != expected)
        __builtin_trap();
    char stored[VariableStore::kValueSize];
    if (result != SetResult::kSet)
        return;
    if (store.get(name.c_str(), stored, sizeof stored) < 0 || std::strlen(stored) > value.size())
        __builtin_trap();
}

void checkExpand(const VariableStore& store, const std::string& text) {
    static char large[4096];
    using Expansion = VariableStore::Expansion;
    Expansion whole = store.expand(text.c_str(), large, sizeof large);
    size_t open = text.rfind('[');
    bool closed = open == std::string::npos || text.find(']', open) != std::string::npos;
    if (std::strlen(large) >= sizeof large ||
        (whole == Expansion::kExpanded && closed &&
         store.expandKnown(text.data(), text.size()) != large))
        __builtin_trap();
    for (int size : {1, 2, 16, 100}) {
        char small[100];
        Expansion result = store.expand(text.c_str(), small, size);
        size_t length = std::strlen(small);
        if (length >= static_cast<size_t>(size))
            __builtin_trap();
        if (whole == Expansion::kExpanded &&
            ((result == Expansion::kExpanded && std::strcmp(small, large) != 0) ||
             (result == Expansion::kTooLong && std::strncmp(small, large, length) != 0) ||
             result == Expansion::kUndefined))
            __builtin_trap();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> fields = zeroSeparatedFields(data, size);
    fields.resize(std::max<size_t>(fields.size(), 2));
    VariableStore store;
    for (size_t i = 2; i + 1 < fields.size(); i += 2)
        checkSet(store, fields[i], fields[i + 1]);
    XmlDocument configuration;
    configuration.parse(fields[1].c_str());
    Log log;
    DefaultValues(store, &log).apply(configuration);
    checkExpand(store, fields[0]);
    return 0;
}
