// The arguments of `instpack build`.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct BuildOptions {
    std::string description;
    std::string engine; // empty with payloadOnly
    bool payloadOnly = false;
    bool strict = false; // warnings stop the build like errors
    unsigned jobs = 0;   // compressing threads; 0: one per core
    std::string out;
    std::string sourceRoot;                                   // default: the description's folder
    std::string resources;                                    // empty: no resources folder
    std::vector<std::pair<std::string, std::string>> entries; // --entry NAME=FILE

    // False with the reason in `error` for a command line that cannot be used.
    static bool parse(const std::vector<std::string>& arguments, BuildOptions& options,
                      std::string& error);
};
