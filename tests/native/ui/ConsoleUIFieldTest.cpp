#include "tests/support/TestInstaller.h"
#include "ui/ConsoleUI.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {
// One Directory field for DIR; the wizard ends at the first Next.
class OneFieldInstaller : public TestInstaller {
  public:
    OneFieldInstaller() {
        description_.parse("<R><Dialogs><Page><Field Type=\"Directory\" Label=\"Folder\">DIR"
                           "</Field></Page></Dialogs></R>");
        readDialogs(0);
        readFields(0);
        setVariable("DIR", "C:\\Old");
    }
    int nextDialog(InstallerUI*) override {
        finished_ = 1;
        return 0;
    }
};

std::string answer(OneFieldInstaller& installer, const std::string& typed) {
    std::FILE* input = std::tmpfile();
    std::FILE* output = std::tmpfile();
    std::fputs(typed.c_str(), input);
    std::rewind(input);
    ConsoleUI console(input, output);
    console.setInstaller(&installer);
    console.run();
    std::rewind(output);
    std::string shown;
    for (int c; (c = std::fgetc(output)) != EOF;)
        shown.push_back(static_cast<char>(c));
    std::fclose(input);
    std::fclose(output);
    return shown;
}

std::string dir(OneFieldInstaller& installer) {
    char value[1024];
    installer.getVariable("DIR", value, sizeof value);
    return value;
}
} // namespace

TEST(ConsoleUIFields, ATypedFolderReplacesTheValue) {
    OneFieldInstaller installer;
    answer(installer, "D:\\\\New\n");
    EXPECT_EQ(dir(installer), "D:\\New");
}

TEST(ConsoleUIFields, AnOverLongLineIsRefusedAndSaidSo) {
    OneFieldInstaller installer;
    std::string shown = answer(installer, "D:\\" + std::string(600, 'x') + "\n");
    EXPECT_EQ(dir(installer), "C:\\Old");
    EXPECT_NE(shown.find("The value is too long"), std::string::npos);
}
