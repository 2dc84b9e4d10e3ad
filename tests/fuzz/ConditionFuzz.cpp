// evaluateCondition and expandVariables on arbitrary text, over a few variables whose values
// hold numbers, brackets, separators and nothing.
#include "config/ConditionEvaluator.h"
#include "config/VariableStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    VariableStore store;
    store.set("A", "1");
    store.set("B", "0");
    store.set("EMPTY", "");
    store.set("PATH", "C:\\\\x//y");
    store.set("NEST", "[A](;,");
    store.set("LONG", std::string(1000, '(').c_str());
    ConditionEvaluator::evaluate(store, text.c_str());
    ConditionEvaluator::evaluateExpanded(text.c_str());
    char small[16];
    char large[2048];
    store.expand(text.c_str(), small, sizeof small);
    store.expand(text.c_str(), large, sizeof large);
    store.set(text.c_str(), text.c_str());
    return 0;
}
