// The option parser takes whatever command line a process was started with.
#include "startup/CommandLineOptions.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    CommandLineOptions options;
    options.parse(line.c_str());
    const char* value = nullptr;
    int number = 0;
    for (const char* name : {"gui", "debug", "quiet", "configFile", "bin", "uninstall",
                             "uninstallApp", "uninstallFile"}) {
        if (options.getString(name, &value) && value == nullptr)
            __builtin_trap();
        options.getInt(name, &number);
    }
    if (options.capacity() < options.count())
        __builtin_trap();
    return 0;
}
