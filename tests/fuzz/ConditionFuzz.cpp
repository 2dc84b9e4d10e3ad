// Conditions and expansion of arbitrary text over numbers, brackets, separators and nothing.
#include "config/ConditionEvaluator.h"
#include "config/VariableStore.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    VariableStore store;
    for (auto [name, value] : {std::pair{"A", "1"},
                               {"B", "0"},
                               {"EMPTY", ""},
                               {"PATH", "C:\\\\x//y"},
                               {"NEST", "[A](;,"}})
        store.set(name, value);
    store.set("LONG", std::string(1000, '(').c_str());
    ConditionEvaluator::evaluate(store, text.c_str());
    ConditionEvaluator::evaluateExpanded(text.c_str());
    char small[16], large[2048];
    store.expand(text.c_str(), small, sizeof small);
    store.expand(text.c_str(), large, sizeof large);
    store.set(text.c_str(), text.c_str());
    return 0;
}
