// Programs and documents started without waiting, seen through a probe program that writes the
// command line it received to its own path followed by ".txt".
#include "system/ProgramLauncher.h"
#include "tests/support/FileBytes.h"
#include "tests/support/WaitingProgram.h"

#include <gtest/gtest.h>

#include <string>
#include <windows.h>

namespace {
constexpr const char* kTestClass = "KestrelTestDocument";

// The probe, copied into a folder whose name has spaces.
std::string copyProbe() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "kestrel launch probe\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(WaitingProgram::besideThisProgram("kestrel_commandline_probe.exe").c_str(),
              (folder + "probe.exe").c_str(), FALSE);
    return folder + "probe.exe";
}

// The command line the probe received since the last call, or "" when it did not start within
// the time (long when a start is expected, short when none is).
std::string awaitCommandLine(const std::string& probe, bool expected) {
    std::string output = probe + ".txt";
    for (int waited = 0; waited < (expected ? 20000 : 1500); waited += 50) {
        if (GetFileAttributesA(output.c_str()) != INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(50);
    }
    std::string commandLine = filebytes::readAll(output);
    DeleteFileA(output.c_str());
    return commandLine;
}

// Points a file extension at a class of the test whose open command is set(); the prefix is the
// test's own, so the classes root is written directly. The previous class comes back after.
class TestAssociation {
  public:
    explicit TestAssociation(const char* extension) : extension_(extension) {
        char previous[MAX_PATH] = {};
        LONG size = sizeof previous;
        hadPrevious_ = RegQueryValueA(HKEY_CLASSES_ROOT, extension, previous, &size) == 0;
        previous_ = previous;
        RegSetValueA(HKEY_CLASSES_ROOT, extension, REG_SZ, kTestClass, 0);
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
    std::string probe = copyProbe();
    std::string quoted = "\"" + probe + "\"";
    std::string document = probe + ".kestreltest";
    filebytes::writeAll(document, "page");
    TestAssociation association(".kestreltest");
    association.set(quoted + " --document \"%1\"");
    // The quoted path, a space and these fill the 512-byte command line exactly; one more byte
    // and it is not started rather than cut.
    const std::string filling(508 - probe.size(), 'x');
    const std::string tooLong = filling + "x";
    const struct {
        std::string file;
        int asDocument;
        const char* arguments;
        int result;
        std::string commandLine;
    } cases[] = {
        {probe, 0, "one  \"two three\"", 1, quoted + " one  \"two three\""},
        {probe, 0, nullptr, 1, quoted},
        {probe, 0, filling.c_str(), 1, quoted + " " + filling},
        {probe, 0, tooLong.c_str(), 0, ""},
        {"C:\\nowhere\\missing.exe", 0, nullptr, 0, ""},
        {document, 1, "unused", 1, quoted + " --document \"" + document + "\""},
        {probe + ".missing", 1, nullptr, 0, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProgramLauncher::launch(c.file.c_str(), c.asDocument, c.arguments), c.result)
            << c.file;
        EXPECT_EQ(awaitCommandLine(probe, c.result == 1), c.commandLine) << c.file;
    }
}

TEST(ProgramLauncher, OpensTheHelpAddressWithTheHtmlCommandOnlyWhenItFitsWhole) {
    std::string probe = copyProbe();
    std::string quoted = "\"" + probe + "\"";
    const std::string address = "http://www.example.com/help.htm";
    TestAssociation association(".htm");
    const struct {
        std::string command;
        std::string address;
        std::string commandLine;
    } cases[] = {
        {quoted + " --open \"%1\" end", address, quoted + " --open \"" + address + "\" end"},
        {quoted + " %1 %1", address, quoted + " " + address + " %1"},
        {quoted + " --open", address, quoted + " --open " + address},
        {quoted + " %1", address + std::string(480, 'h'), ""},
        {quoted + " \"%1\"", "http://a/\" --evil \"", ""},
    };
    for (const auto& c : cases) {
        association.set(c.command);
        EXPECT_EQ(ProgramLauncher::showHelpDocument(c.address.c_str()), 0);
        EXPECT_EQ(awaitCommandLine(probe, !c.commandLine.empty()), c.commandLine) << c.command;
    }
}
