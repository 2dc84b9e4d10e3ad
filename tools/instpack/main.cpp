// instpack: builds kestrel installers and inspects them.
#include "tools/instpack/BuildCommand.h"
#include "tools/instpack/ExtractCommand.h"
#include "tools/instpack/ListCommand.h"
#include "tools/instpack/VerifyCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {
constexpr int kUsageError = 2;

int usage() {
    std::fputs(
        "usage:\n"
        "  instpack build --description FILE (--engine ENGINE.exe | --payload-only) --out FILE\n"
        "                 [--source-root DIR] [--resources DIR] [--entry NAME=FILE]...\n"
        "                 [--strict]\n"
        "  instpack list FILE\n"
        "  instpack verify FILE\n"
        "  instpack extract FILE DIR\n",
        stderr);
    return kUsageError;
}
} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty())
        return usage();
    std::string command = arguments[0];
    arguments.erase(arguments.begin());
    if (command == "build") {
        BuildOptions options;
        std::string error;
        if (!BuildOptions::parse(arguments, options, error)) {
            std::fprintf(stderr, "instpack: %s\n", error.c_str());
            return usage();
        }
        return BuildCommand(options).run();
    }
    if (command == "list" && arguments.size() == 1)
        return ListCommand::run(arguments[0]);
    if (command == "verify" && arguments.size() == 1)
        return VerifyCommand::run(arguments[0]);
    if (command == "extract" && arguments.size() == 2)
        return ExtractCommand::run(arguments[0], arguments[1]);
    return usage();
}
