#include "package/PayloadFormat.h"
#include "tests/native/tools/PackerWorkspace.h"
#include "tools/instpack/ExtractCommand.h"
#include "tools/instpack/PackageFile.h"
#include "tools/instpack/VerifyCommand.h"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>

namespace {
const char* kDescription = R"(<VarnexGroupInstallation>
  <ProductDesc><Fullname>Sample</Fullname></ProductDesc>
  <Dialogs><Welcome><Image x="0" y="0">WelcomeLImg</Image>
    <RichEditText x="1" y="1">LicenseText</RichEditText><Field>APPDIR</Field></Welcome>
    <CopyProgress></CopyProgress></Dialogs>
  <Installation>
    <Uninstall><InstallLogFile>[INSTALLDIR]\[APPDIR]\log</InstallLogFile></Uninstall>
    <DefValues><Value Name="INSTALLDIR" DataType="value">C:\x</Value></DefValues>
    <FileSet Name="Main">
      <FN Dest="[INSTALLDIR]">bin\tool.exe</FN>
      <FN Dest="[INSTALLDIR]" Alias="notes">doc/notes.txt</FN>
      <FN Alias="notes">doc\notes.txt</FN>
    </FileSet>
  </Installation>
</VarnexGroupInstallation>)";

// A 1x1 bitmap of 24 or 32 bits per pixel; `pixel` is blue, green, red and a fourth byte.
std::string bitmap(char bits, const std::string& pixel) {
    return std::string("BM") + std::string(8, '\0') + std::string("\x36\0\0\0", 4) +
           std::string("\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0", 14) + bits + '\0' +
           std::string(24, '\0') + pixel;
}

class Instpack : public ::testing::Test {
  protected:
    void SetUp() override {
        space.write("src/install.xml", kDescription);
        space.write("src/bin/tool.exe", std::string(5000, 'T') + "tool");
        space.write("src/doc/notes.txt", "notes\r\n");
        space.write("res/LicenseText.rtf", "{\\rtf1 licence}");
        space.write("res/WelcomeLImg.bmp", bitmap(24, std::string("\x10\x20\x30\0", 4)));
        space.write("res/AppIcon.bmp", bitmap(32, std::string("\x40\x50\x60\0", 4)));
        space.writeEngine("engine.exe");
    }

    std::vector<std::string> buildArguments(const std::string& out) const {
        return {"--description", space.path("src/install.xml"),
                "--engine",      space.path("engine.exe"),
                "--out",         space.path(out),
                "--resources",   space.path("res")};
    }

    std::string stderrOfFailedBuild(const std::vector<std::string>& arguments) {
        testing::internal::CaptureStderr();
        int status = space.build(arguments);
        std::string text = testing::internal::GetCapturedStderr();
        EXPECT_EQ(status, 1);
        return text;
    }

    PackerWorkspace space;
};
} // namespace

TEST_F(Instpack, BuildsAnInstallerThatVerifiesAndExtractsIntact) {
    testing::internal::CaptureStderr();
    ASSERT_EQ(space.build(buildArguments("setup.exe")), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "defined variables warn of nothing";
    PackageFile package;
    std::string error;
    ASSERT_TRUE(package.load(space.path("setup.exe"), error)) << error;
    EXPECT_TRUE(package.isInstaller());
    EXPECT_EQ(package.payloadOffset(), space.read("engine.exe").size());
    EXPECT_EQ(VerifyCommand::firstDamage(package), "");
    uint32_t failedAt = 0;
    ASSERT_EQ(package.index(&failedAt), 0);
    EXPECT_EQ(package.entries().count(), 6) << "one file referenced twice is packed once";
    ASSERT_EQ(ExtractCommand::run(space.path("setup.exe"), space.path("out")), 0);
    EXPECT_EQ(space.read("out/install.xml"), kDescription);
    EXPECT_EQ(space.read("out/bintool.exe"), space.read("src/bin/tool.exe"));
    EXPECT_EQ(space.read("out/notes"), "notes\r\n");
    EXPECT_EQ(space.read("out/LicenseText"), "{\\rtf1 licence}");
    EXPECT_EQ(space.read("out/WelcomeLImg"), std::string("\1\0\0\0\1\0\0\0\x10\x20\x30\xff", 12));
    EXPECT_EQ(space.read("out/AppIcon"), std::string("\1\0\0\0\1\0\0\0\x40\x50\x60\xff", 12))
        << "a 32-bit bitmap has no palette";
    // The engine's field now holds the offset; the rest of its text is untouched.
    std::string installer = space.read("setup.exe");
    size_t field = installer.find("ARYIMAGEOFFSET_");
    ASSERT_NE(field, std::string::npos);
    uint32_t offset = 0;
    std::memcpy(&offset, installer.data() + field - 4, 4);
    EXPECT_EQ(offset, package.payloadOffset());
}

TEST_F(Instpack, SameInputsGiveTheSameBytes) {
    ASSERT_EQ(space.build(buildArguments("one.exe")), 0);
    ASSERT_EQ(space.build(buildArguments("two.exe")), 0);
    EXPECT_EQ(space.read("one.exe"), space.read("two.exe"));
}

TEST_F(Instpack, ListsEveryProblemOfABuildAndWritesNothing) {
    space.write("src/install.xml", std::string(kDescription)
                                       .replace(std::string(kDescription).find("</FileSet>"), 0,
                                                "<FN Alias=\"notes\">other.txt</FN>"
                                                "<FN>missing.dll</FN>"));
    space.write("src/other.txt", "not the notes");
    std::filesystem::remove(space.path("res/WelcomeLImg.bmp"));
    std::string text = stderrOfFailedBuild(buildArguments("setup.exe"));
    EXPECT_NE(text.find("two different files under one entry name \"notes\""), std::string::npos)
        << text;
    EXPECT_NE(text.find("missing source file"), std::string::npos) << text;
    EXPECT_NE(text.find("entry \"WelcomeLImg\" (Image on page Welcome) but nothing provides it"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("3 problem(s)"), std::string::npos) << text;
    EXPECT_FALSE(HostFiles::isRegularFile(space.path("setup.exe")));
    EXPECT_FALSE(HostFiles::isRegularFile(space.path("setup.exe.part")));
}

TEST_F(Instpack, RefusesAnEngineWithoutOrWithAPatchedOrRepeatedField) {
    space.write("plain.exe", std::string(4000, 'x'));
    std::vector<std::string> arguments = buildArguments("setup.exe");
    arguments[3] = space.path("plain.exe");
    EXPECT_NE(stderrOfFailedBuild(arguments).find("not a kestrel engine"), std::string::npos);

    ASSERT_EQ(space.build(buildArguments("packed.exe")), 0);
    arguments[3] = space.path("packed.exe");
    EXPECT_NE(stderrOfFailedBuild(arguments).find("already carries a payload"), std::string::npos);

    space.writeEngine("twice.exe", 2);
    arguments[3] = space.path("twice.exe");
    EXPECT_NE(stderrOfFailedBuild(arguments).find("more than once"), std::string::npos);
}

TEST_F(Instpack, VerifyNamesTheFirstDamage) {
    std::vector<std::string> arguments = buildArguments("setup.bin");
    arguments[2] = "--payload-only";
    arguments.erase(arguments.begin() + 3);
    ASSERT_EQ(space.build(arguments), 0);
    std::string bytes = space.read("setup.bin");
    auto damaged = [&](size_t at, char value) {
        std::string copy = bytes;
        copy[at] = value;
        space.write("damaged.bin", copy);
        PackageFile package;
        std::string error;
        EXPECT_TRUE(package.load(space.path("damaged.bin"), error));
        return VerifyCommand::firstDamage(package);
    };
    // Entry 2 ("bintool.exe") starts behind install.xml's record.
    size_t second =
        64 + 608 +
        payload::readLittleEndian32(reinterpret_cast<const unsigned char*>(bytes.data()) + 64 + 8);
    const struct {
        size_t at;
        char value;
        const char* named;
    } damages[] = {{second + 16, 'x', "entry 2 \"bintool.exe\" does not match its MD5"},
                   {second + 4, 1, "entry 2 \"bintool.exe\" inflates to 5004 bytes"},
                   {second, 7, "unknown type"},
                   {5, 0, "magic word 2"},
                   {20, 9, "totals"}};
    for (const auto& damage : damages)
        EXPECT_NE(damaged(damage.at, damage.value).find(damage.named), std::string::npos)
            << damage.named;
    // Also the engine's reader requires the end record whole.
    for (auto [missing, named] : {std::pair<size_t, const char*>{608, "no end record"},
                                  {1, "runs past the end of the payload"}}) {
        space.write("cut.bin", bytes.substr(0, bytes.size() - missing));
        PackageFile cut;
        std::string error;
        ASSERT_TRUE(cut.load(space.path("cut.bin"), error));
        EXPECT_NE(VerifyCommand::firstDamage(cut).find(named), std::string::npos) << missing;
    }
}

TEST(InstpackExtract, WritesOnlyPlainFileNames) {
    EXPECT_TRUE(ExtractCommand::isPlainFileName("..installationbackup.bin"));
    for (const char* name : {"../escape", "sub\\file", "..", ""})
        EXPECT_FALSE(ExtractCommand::isPlainFileName(name)) << name;
}

TEST_F(Instpack, OutThatIsAnInputIsRefusedAndTheInputKept) {
    for (const char* input :
         {"src/install.xml", "engine.exe", "src/bin/../bin/tool.exe", "res/WelcomeLImg.bmp"}) {
        std::string before = space.read(input);
        std::vector<std::string> arguments = buildArguments("setup.exe");
        arguments[5] = space.path(input);
        EXPECT_NE(stderrOfFailedBuild(arguments).find("is the same file as the input"),
                  std::string::npos)
            << input;
        EXPECT_EQ(space.read(input), before) << input;
    }
}

TEST_F(Instpack, AnotherBuildsPartialOutputIsNeverWrittenInto) {
    space.write("setup.exe.part", "another build, still writing");
    ASSERT_EQ(space.build(buildArguments("setup.exe")), 0);
    EXPECT_EQ(space.read("setup.exe.part"), "another build, still writing");
    PackageFile package;
    std::string error;
    ASSERT_TRUE(package.load(space.path("setup.exe"), error)) << error;
    EXPECT_EQ(VerifyCommand::firstDamage(package), "");
    int leftovers = 0;
    for (const auto& file : std::filesystem::directory_iterator(space.path("")))
        leftovers += file.path().filename().string().rfind(".instpack-", 0) == 0;
    EXPECT_EQ(leftovers, 0);
}

TEST_F(Instpack, ExtractReplacesLinksInTheFolderInsteadOfWritingThroughThem) {
    ASSERT_EQ(space.build(buildArguments("setup.exe")), 0);
    space.write("victim.txt", "precious");
    space.write("out/keep", "");
    std::filesystem::create_symlink("../victim.txt", space.path("out/bintool.exe"));
    ASSERT_EQ(ExtractCommand::run(space.path("setup.exe"), space.path("out")), 0);
    EXPECT_EQ(space.read("victim.txt"), "precious");
    EXPECT_FALSE(std::filesystem::is_symlink(space.path("out/bintool.exe")));
    EXPECT_EQ(space.read("out/bintool.exe"), space.read("src/bin/tool.exe"));
    // A folder that is itself a link is gone through only when named as the folder behind it.
    std::filesystem::create_directory_symlink("out", space.path("linked"));
    EXPECT_EQ(ExtractCommand::run(space.path("setup.exe"), space.path("linked")), 1);
    EXPECT_EQ(ExtractCommand::run(space.path("setup.exe"), space.path("linked/")), 0);
}

TEST_F(Instpack, DescriptionsTheEngineWouldNotHonourAreRefusedOrWarnedAbout) {
    const std::string longText(512, 'c');
    const std::string longPath(260, 'p');
    const struct {
        std::string find;
        std::string replacement;
        std::string message;
        bool warning;
    } cases[] = {
        {"</FileSet>", "<FN>nul.txt</FN>", "FN \"nul.txt\": \"nul.txt\" is a device name", false},
        {"</FileSet>", "<FN>Com1.log</FN>", "\"Com1.log\" is a device name", false},
        {"</FileSet>", "<FN>aux\\x.txt</FN>", "\"aux\" is a device name", false},
        {"</FileSet>", "<FN>dir/LPT9</FN>", "\"LPT9\" is a device name", false},
        {"</FileSet>", "<FN>CON</FN>", "\"CON\" is a device name", false},
        {"</FileSet>", "<FN Alias=\"up\">bin\\..</FN>", "\"..\" cannot be a file's name", false},
        {"</FileSet>", "<FN Alias=\"dot\">.</FN>", "\".\" cannot be a file's name", false},
        {"<FileSet Name=\"Main\"", "<FileSet Name=\"Main\" Condition=\"" + longText + "\"",
         "FileSet \"Main\": Condition is 512 bytes, longer than the 511 the engine", false},
        {"<Welcome>", "<Welcome Condition=\"" + longText + "\">",
         "page \"Welcome\": Condition is 512 bytes, longer than the 511", false},
        {"<DefValues>", "<Defaults>", "the description has no DefValues element", false},
        {"</FileSet>", "<FN Dest=\"" + longPath + "\">bin/tool.exe</FN>",
         "Dest is 260 bytes, longer than the 259", false},
        {"</FileSet>", "<FN Alias=\"" + longPath + "\">bin/tool.exe</FN>",
         "its alias is 260 bytes, longer than the 259", false},
        {"</FileSet>", "<FN Alias=\"a\">bin/" + longPath + "</FN>",
         "the file name is 260 bytes, longer than the 259", false},
        {"</Uninstall>", "<UninstallCmd>[APPDIR]\\[NOWHERE]\\u.exe</UninstallCmd>",
         "UninstallCmd refers to the variable [NOWHERE], which the description defines", true},
        {"<CopyProgress></CopyProgress>", "", "Dialogs has no CopyProgress page", true},
        {"<Dialogs>", "<Pages>", "the description has no Dialogs element: the installer will",
         true},
        {"</CopyProgress>", "<Finish/>",
         "<Finish/> is read as an element named \"Finish/\" that stays open; write "
         "<Finish></Finish>",
         true},
    };
    for (const auto& row : cases) {
        std::string description = kDescription;
        size_t at = description.find(row.find);
        ASSERT_NE(at, std::string::npos) << row.find;
        // A replacement of an end tag goes in front of it.
        description.replace(at, row.find[1] == '/' ? 0 : row.find.size(), row.replacement);
        space.write("src/install.xml", description);
        std::vector<std::string> strict = buildArguments("setup.exe");
        strict.push_back("--strict");
        std::string text = stderrOfFailedBuild(row.warning ? strict : buildArguments("setup.exe"));
        EXPECT_NE(text.find(row.message), std::string::npos) << row.message << "\n" << text;
        if (!row.warning)
            continue;
        testing::internal::CaptureStderr();
        EXPECT_EQ(space.build(buildArguments("setup.exe")), 0) << row.message;
        text = testing::internal::GetCapturedStderr();
        EXPECT_NE(text.find("warning: " + row.message), std::string::npos) << text;
    }
}
