#include "tools/instpack/BuildOptions.h"

#include "tools/instpack/HostFiles.h"

namespace {
bool takeValue(const std::vector<std::string>& arguments, size_t& i, std::string& value,
               std::string& error) {
    if (i + 1 >= arguments.size() || arguments[i + 1].empty()) {
        error = arguments[i] + " needs a value";
        return false;
    }
    value = arguments[++i];
    return true;
}

bool addEntry(const std::string& text, BuildOptions& options, std::string& error) {
    size_t equals = text.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == text.size()) {
        error = "--entry wants NAME=FILE, not \"" + text + "\"";
        return false;
    }
    options.entries.emplace_back(text.substr(0, equals), text.substr(equals + 1));
    return true;
}

bool takeJobs(const std::string& text, BuildOptions& options, std::string& error) {
    bool digits = !text.empty() && text.size() <= 3 &&
                  text.find_first_not_of("0123456789") == std::string::npos;
    unsigned jobs = digits ? static_cast<unsigned>(std::stoul(text)) : 0;
    if (jobs < 1 || jobs > 256) {
        error = "--jobs wants a number from 1 to 256, not \"" + text + "\"";
        return false;
    }
    options.jobs = jobs;
    return true;
}

bool checkComplete(BuildOptions& options, std::string& error) {
    if (options.description.empty() || options.out.empty())
        error = "--description and --out are required";
    else if (options.payloadOnly == !options.engine.empty())
        error = "give either --engine or --payload-only";
    if (options.sourceRoot.empty())
        options.sourceRoot = HostFiles::folderOf(options.description);
    return error.empty();
}
} // namespace

bool BuildOptions::parse(const std::vector<std::string>& arguments, BuildOptions& options,
                         std::string& error) {
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        std::string value;
        bool ok = true;
        if (name == "--payload-only")
            options.payloadOnly = true;
        else if (name == "--strict")
            options.strict = true;
        else if (name == "--description")
            ok = takeValue(arguments, i, options.description, error);
        else if (name == "--engine")
            ok = takeValue(arguments, i, options.engine, error);
        else if (name == "--out")
            ok = takeValue(arguments, i, options.out, error);
        else if (name == "--source-root")
            ok = takeValue(arguments, i, options.sourceRoot, error);
        else if (name == "--resources")
            ok = takeValue(arguments, i, options.resources, error);
        else if (name == "--jobs")
            ok = takeValue(arguments, i, value, error) && takeJobs(value, options, error);
        else if (name == "--entry")
            ok = takeValue(arguments, i, value, error) && addEntry(value, options, error);
        else {
            error = "unknown argument \"" + name + "\"";
            ok = false;
        }
        if (!ok)
            return false;
    }
    return checkComplete(options, error);
}
