// A throw-away folder with a description, product files and an engine image, for the packer's
// tests.
#pragma once

#include "tests/native/TempFolder.h"
#include "tools/instpack/BuildCommand.h"
#include "tools/instpack/HostFiles.h"

#include <filesystem>
#include <fstream>
#include <string>

class PackerWorkspace : public TempFolder {
  public:
    std::string path(const std::string& relative) const { return *this / relative; }

    void write(const std::string& relative, const std::string& content) const {
        std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
        std::ofstream(path(relative), std::ios::binary) << content;
    }

    std::string read(const std::string& relative) const {
        Bytes bytes;
        std::string error;
        HostFiles::readFile(path(relative), bytes, error);
        return std::string(bytes.begin(), bytes.end());
    }

    // A stand-in for the engine image: some code bytes around the offset field.
    void writeEngine(const std::string& relative, int fields = 1) const {
        std::string image(3000, '\x90');
        for (int i = 0; i < fields; ++i)
            image += std::string("_BINARYIMAGEOFFSET_") + '\0' + std::string(100, '\xcc');
        write(relative, image);
    }

    // Runs `instpack build` with the given arguments; the exit status.
    int build(const std::vector<std::string>& arguments) const {
        BuildOptions options;
        std::string error;
        if (!BuildOptions::parse(arguments, options, error))
            return 2;
        return BuildCommand(options).run();
    }
};
