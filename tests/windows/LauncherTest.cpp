// Programs and documents started without waiting, seen through the probe.
#include "system/ProgramLauncher.h"
#include "tests/e2e/EngineProcess.h"

#include <gtest/gtest.h>

namespace {
const char kClass[] = "KestrelTestDocument";

void setClassesText(const std::string& key, const std::string& text) {
    RegSetValueA(HKEY_CLASSES_ROOT, key.c_str(), REG_SZ, text.c_str(), 0);
}

// The probe lies in a folder with spaces; ".kestreltest" and ".htm" name the test's class.
class ProgramLauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA(probe_.substr(0, probe_.rfind('\\')).c_str(), nullptr);
        CopyFileA((EngineProcess::testFolder() + "kestrel_probe.exe").c_str(), probe_.c_str(),
                  FALSE);
        char previous[MAX_PATH] = {};
        LONG size = sizeof previous;
        RegQueryValueA(HKEY_CLASSES_ROOT, ".htm", previous, &size);
        previousHtm_ = previous;
        for (const char* extension : {".kestreltest", ".htm"})
            setClassesText(extension, kClass);
    }
    void TearDown() override {
        setClassesText(".htm", previousHtm_);
        RegDeleteTreeA(HKEY_CLASSES_ROOT, ".kestreltest");
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kClass);
    }
    void setOpenCommand(const std::string& command) {
        setClassesText(std::string(kClass) + "\\shell\\open\\command", command);
    }
    // The command line the probe received since the last call, or "" when it did not start.
    std::string awaitCommandLine(bool expected) {
        std::string output = probe_ + ".txt", commandLine;
        for (int waited = 0; waited < (expected ? 20000 : 1500) && commandLine.empty();
             waited += 50) {
            Sleep(50);
            commandLine = readAll(output);
        }
        DeleteFileA(output.c_str());
        return commandLine;
    }

    std::string probe_ = EngineProcess::tempFolder() + "kestrel launch probe\\probe.exe";
    std::string quoted_ = "\"" + probe_ + "\"";
    std::string previousHtm_;
};
} // namespace

TEST_F(ProgramLauncherTest, StartsTheQuotedProgramOrTheDocumentAndSaysWhetherItStarted) {
    std::string document = probe_ + ".kestreltest";
    writeAll(document, "page");
    setOpenCommand(quoted_ + " --document \"%1\"");
    // Filling the command line exactly (room for a quoted MAX_PATH path in UTF-8, 777 bytes, and
    // 512 bytes of arguments: 1,293 with the zero); one more byte and it is not started, not cut.
    const std::string filling(1289 - probe_.size(), 'x');
    const std::string tooLong = filling + "x";
    const auto kProgram = ProgramLauncher::Kind::kProgram,
               kDocument = ProgramLauncher::Kind::kDocument;
    const struct {
        std::string file;
        ProgramLauncher::Kind kind;
        const char* arguments;
        std::string commandLine; // empty: not started
    } cases[] = {
        {probe_, kProgram, "one  \"two three\"", quoted_ + " one  \"two three\""},
        {probe_, kProgram, nullptr, quoted_},
        {probe_, kProgram, filling.c_str(), quoted_ + " " + filling},
        {probe_, kProgram, tooLong.c_str(), ""},
        {"C:\\nowhere\\missing.exe", kProgram, nullptr, ""},
        {document, kDocument, "unused", quoted_ + " --document \"" + document + "\""},
        {probe_ + ".missing", kDocument, nullptr, ""},
    };
    for (const auto& c : cases) {
        bool started = !c.commandLine.empty();
        EXPECT_EQ(ProgramLauncher::launch(c.file.c_str(), c.kind, c.arguments), started) << c.file;
        EXPECT_EQ(awaitCommandLine(started), c.commandLine) << c.file;
    }
}

TEST_F(ProgramLauncherTest, OpensTheHelpAddressWithTheHtmlCommandOnlyWhenItFitsWhole) {
    const std::string address = "http://www.example.com/help.htm";
    const struct {
        std::string command, address, commandLine;
    } cases[] = {
        {quoted_ + " --open \"%1\" end", address, quoted_ + " --open \"" + address + "\" end"},
        {quoted_ + " %1 %1", address, quoted_ + " " + address + " %1"},
        {quoted_ + " --open", address, quoted_ + " --open " + address},
        {quoted_ + " %1", address + std::string(1300, 'h'), ""},
        {quoted_ + " \"%1\"", "http://a/\" --evil \"", ""},
    };
    for (const auto& c : cases) {
        setOpenCommand(c.command);
        ProgramLauncher::showHelpDocument(c.address.c_str());
        EXPECT_EQ(awaitCommandLine(!c.commandLine.empty()), c.commandLine) << c.command;
    }
}
