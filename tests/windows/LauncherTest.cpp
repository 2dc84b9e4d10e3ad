// Programs and documents started without waiting, seen through a probe program that writes the
// command line it received beside itself.
#include "system/ProgramLauncher.h"
#include "tests/support/FileBytes.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {
constexpr const char* kTestClass = "KestrelTestDocument";

// A copy of the probe in a folder whose name has spaces.
class Probe {
  public:
    Probe() {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder_ = std::string(temp) + "kestrel launch probe\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        path_ = folder_ + "probe.exe";
        CopyFileA(WaitingProgram::besideThisProgram("kestrel_commandline_probe.exe").c_str(),
                  path_.c_str(), FALSE);
    }
    ~Probe() {
        DeleteFileA(path_.c_str());
        DeleteFileA(output().c_str());
        RemoveDirectoryA(folder_.c_str());
    }
    const std::string& path() const { return path_; }
    std::string output() const { return path_ + ".txt"; }

    // The command line of the probe started since the last call, or "" when none started
    // within the time (long when one is expected, short when none is).
    std::string awaitCommandLine(bool expected) {
        for (int waited = 0; waited < (expected ? 20000 : 1500); waited += 50) {
            if (GetFileAttributesA(output().c_str()) != INVALID_FILE_ATTRIBUTES)
                break;
            Sleep(50);
        }
        std::string commandLine = filebytes::readAll(output());
        DeleteFileA(output().c_str());
        return commandLine;
    }

  private:
    std::string folder_;
    std::string path_;
};

// Points a file extension at a class of this test whose open command is `command`, in the
// classes root itself (Wine's prefix is the test's own); the previous class comes back after.
class TestAssociation {
  public:
    TestAssociation(const char* extension, const std::string& command) : extension_(extension) {
        char previous[MAX_PATH] = {};
        LONG size = sizeof previous;
        hadPrevious_ =
            RegQueryValueA(HKEY_CLASSES_ROOT, extension, previous, &size) == ERROR_SUCCESS;
        previous_ = previous;
        RegSetValueA(HKEY_CLASSES_ROOT, extension, REG_SZ, kTestClass, 0);
        set(command);
    }
    ~TestAssociation() {
        if (hadPrevious_)
            RegSetValueA(HKEY_CLASSES_ROOT, extension_, REG_SZ, previous_.c_str(), 0);
        else
            RegDeleteTreeA(HKEY_CLASSES_ROOT, extension_);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kTestClass);
    }
    void set(const std::string& command) {
        RegSetValueA(HKEY_CLASSES_ROOT,
                     (std::string(kTestClass) + "\\shell\\open\\command").c_str(), REG_SZ,
                     command.c_str(), 0);
    }

  private:
    const char* extension_;
    bool hadPrevious_ = false;
    std::string previous_;
};
} // namespace

TEST(ProgramLauncher, StartsTheQuotedProgramOrTheDocumentAndSaysWhetherItStarted) {
    Probe probe;
    std::string quoted = "\"" + probe.path() + "\"";
    std::string document = probe.path() + ".kestreltest";
    filebytes::writeAll(document, "page");
    TestAssociation association(".kestreltest", quoted + " --document \"%1\"");
    // The quoted path, a space and these fill the 512-byte command line exactly; one more byte
    // and it is not started rather than cut.
    const std::string filling(508 - probe.path().size(), 'x');
    const std::string tooLong = filling + "x";
    const struct {
        std::string file;
        int asDocument;
        const char* arguments;
        int result;
        std::string commandLine;
    } cases[] = {
        {probe.path(), 0, "one  \"two three\"", 1, quoted + " one  \"two three\""},
        {probe.path(), 0, nullptr, 1, quoted},
        {probe.path(), 0, filling.c_str(), 1, quoted + " " + filling},
        {probe.path(), 0, tooLong.c_str(), 0, ""},
        {"C:\\nowhere\\missing.exe", 0, nullptr, 0, ""},
        {document, 1, "unused", 1, quoted + " --document \"" + document + "\""},
        {probe.path() + ".missing", 1, nullptr, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramLauncher::launch(c.file.c_str(), c.asDocument, c.arguments), c.result)
            << c.file;
        EXPECT_EQ(probe.awaitCommandLine(c.result == 1), c.commandLine) << c.file;
    }
    DeleteFileA(document.c_str());
}

TEST(ProgramLauncher, OpensTheHelpAddressWithTheHtmlCommandOnlyWhenItFitsWhole) {
    Probe probe;
    std::string quoted = "\"" + probe.path() + "\"";
    const std::string address = "http://www.example.com/help.htm";
    const std::string longAddress = "http://www.example.com/" + std::string(480, 'h');
    TestAssociation association(".htm", "");
    const struct {
        std::string command;
        std::string address;
        std::string commandLine;
    } cases[] = {
        {quoted + " --open \"%1\" end", address, quoted + " --open \"" + address + "\" end"},
        {quoted + " %1 %1", address, quoted + " " + address + " %1"},
        {quoted + " --open", address, quoted + " --open " + address},
        {quoted + " %1", longAddress, ""},
        {quoted + " \"%1\"", "http://a/\" --evil \"", ""},
    };
    for (const auto& c : cases) {
        association.set(c.command);
        EXPECT_EQ(ProgramLauncher::showHelpDocument(c.address.c_str()), 0);
        EXPECT_EQ(probe.awaitCommandLine(!c.commandLine.empty()), c.commandLine) << c.command;
    }
}
