#include "package/PayloadFormat.h"
#include "tests/native/tools/PackerWorkspace.h"
#include "tools/instpack/ExtractCommand.h"
#include "tools/instpack/PackageFile.h"
#include "tools/instpack/VerifyCommand.h"

#include <gtest/gtest.h>

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

    std::vector<std::string> arguments(const std::string& out,
                                       const std::string& engine = "engine.exe") const {
        return {"--description", space.path("src/install.xml"),
                "--engine",      space.path(engine),
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

    // What `instpack verify` names as the file's first damage; "" for none.
    std::string damageOf(const std::string& file) {
        PackageFile package;
        std::string error;
        EXPECT_TRUE(package.load(space.path(file), error)) << error;
        return VerifyCommand::firstDamage(package);
    }

    PackerWorkspace space;
};
} // namespace

TEST_F(Instpack, ListsEveryProblemOfABuildAndWritesNothing) {
    space.write("src/install.xml", std::string(kDescription)
                                       .replace(std::string(kDescription).find("</FileSet>"), 0,
                                                "<FN Alias=\"notes\">other.txt</FN>"
                                                "<FN>missing.dll</FN>"));
    space.write("src/other.txt", "not the notes");
    std::filesystem::remove(space.path("res/WelcomeLImg.bmp"));
    std::string text = stderrOfFailedBuild(arguments("setup.exe"));
    for (const char* problem :
         {"two different files under one entry name \"notes\"", "missing source file",
          "3 problem(s)", "entry \"WelcomeLImg\" (Image on page Welcome) but nothing provides"})
        EXPECT_PRED_FORMAT2(testing::IsSubstring, problem, text);
    EXPECT_FALSE(HostFiles::isRegularFile(space.path("setup.exe")));
    EXPECT_FALSE(HostFiles::isRegularFile(space.path("setup.exe.part")));
}

TEST_F(Instpack, RefusesAnEngineWithoutOrWithAPatchedOrRepeatedField) {
    space.write("plain.exe", std::string(4000, 'x'));
    ASSERT_EQ(space.build(arguments("packed.exe")), 0);
    space.writeEngine("twice.exe", 2);
    for (auto [engine, message] : {std::pair{"plain.exe", "not a kestrel engine"},
                                   {"packed.exe", "already carries a payload"},
                                   {"twice.exe", "more than once"}})
        EXPECT_PRED_FORMAT2(testing::IsSubstring, message,
                            stderrOfFailedBuild(arguments("setup.exe", engine)));
}

TEST_F(Instpack, VerifyNamesTheFirstDamage) {
    std::vector<std::string> bare = arguments("setup.bin");
    bare[2] = "--payload-only";
    bare.erase(bare.begin() + 3);
    ASSERT_EQ(space.build(bare), 0);
    const std::string bytes = space.read("setup.bin");
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
                   {20, 9, "totals"}};
    for (const auto& damage : damages) {
        space.write("damaged.bin", std::string(bytes).replace(damage.at, 1, 1, damage.value));
        EXPECT_PRED_FORMAT2(testing::IsSubstring, damage.named, damageOf("damaged.bin"));
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
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "is the same file as the input",
                            stderrOfFailedBuild(arguments(input)));
        EXPECT_EQ(space.read(input), before) << input;
    }
}

TEST_F(Instpack, AnotherBuildsPartialOutputIsNeverWrittenInto) {
    space.write("setup.exe.part", "another build, still writing");
    ASSERT_EQ(space.build(arguments("setup.exe")), 0);
    EXPECT_EQ(space.read("setup.exe.part"), "another build, still writing");
    EXPECT_EQ(damageOf("setup.exe"), "");
    int leftovers = 0;
    for (const auto& file : std::filesystem::directory_iterator(space.path("")))
        leftovers += file.path().filename().string().rfind(".instpack-", 0) == 0;
    EXPECT_EQ(leftovers, 0);
}

TEST_F(Instpack, ExtractReplacesLinksInTheFolderInsteadOfWritingThroughThem) {
    ASSERT_EQ(space.build(arguments("setup.exe")), 0);
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

// Each row goes in front of an end tag or replaces a start tag; a warning fails only with --strict.
TEST_F(Instpack, DescriptionsTheEngineWouldNotHonourAreRefusedOrWarnedAbout) {
    const std::string longText(512, 'c'), longPath(260, 'p');
    const struct {
        std::string replacement, message, tag = "</FileSet>";
        bool warning = false;
    } rows[] = {
        {"<FN>nul.txt</FN>", "FN \"nul.txt\": \"nul.txt\" is a device name"},
        {"<FN>aux\\x.txt</FN>", "\"aux\" is a device name"},
        {"<FN>dir/LPT9</FN>", "\"LPT9\" is a device name"},
        {"<FN Alias=\"up\">bin\\..</FN>", "\"..\" cannot be a file's name"},
        {"<FN Alias=\"dot\">.</FN>", "\".\" cannot be a file's name"},
        {"<FileSet Name=\"Main\" Condition=\"" + longText + "\"",
         "FileSet \"Main\": Condition is 512 bytes, longer than the 511 the engine",
         "<FileSet Name=\"Main\""},
        {"<Welcome Condition=\"" + longText + "\">",
         "page \"Welcome\": Condition is 512 bytes, longer than the 511", "<Welcome>"},
        {"<Defaults>", "the description has no DefValues element", "<DefValues>"},
        {"<?xml version=\"1.0\" encoding=\"klingon\"?><VarnexGroupInstallation>",
         "cannot be read: its XML declaration names the encoding \"klingon\"",
         "<VarnexGroupInstallation>"},
        {"<Fullname>Sampl\xE9", "the description declares no encoding but holds non-ASCII bytes",
         "<Fullname>Sample", true},
        {"<FN Dest=\"" + longPath + "\">bin/tool.exe</FN>",
         "Dest is 260 characters, longer than the 259"},
        {"<FN Alias=\"" + longPath + "\">bin/tool.exe</FN>",
         "its alias is 260 bytes, longer than the 259"},
        {"<FN Alias=\"a\">bin/" + longPath + "</FN>",
         "the file name is 260 characters, longer than the 259"},
        {"<UninstallCmd>[APPDIR]\\[NOWHERE]\\u.exe</UninstallCmd>",
         "UninstallCmd refers to the variable [NOWHERE], which the description defines",
         "</Uninstall>", true},
        {"", "Dialogs has no CopyProgress page", "<CopyProgress></CopyProgress>", true},
        {"<Pages>", "the description has no Dialogs element: the installer will", "<Dialogs>",
         true},
        {"<Finish/>",
         "<Finish/> is read as an element named \"Finish/\" that stays open; write "
         "<Finish></Finish>",
         "</CopyProgress>", true},
    };
    for (const auto& row : rows) {
        std::string description = kDescription;
        size_t at = description.find(row.tag);
        ASSERT_NE(at, std::string::npos) << row.tag;
        description.replace(at, row.tag[1] == '/' ? 0 : row.tag.size(), row.replacement);
        space.write("src/install.xml", description);
        std::vector<std::string> strict = arguments("setup.exe");
        strict.push_back("--strict");
        EXPECT_PRED_FORMAT2(testing::IsSubstring, row.message,
                            stderrOfFailedBuild(row.warning ? strict : arguments("setup.exe")));
        if (!row.warning)
            continue;
        testing::internal::CaptureStderr();
        EXPECT_EQ(space.build(arguments("setup.exe")), 0) << row.message;
        EXPECT_PRED_FORMAT2(testing::IsSubstring, "warning: " + row.message,
                            testing::internal::GetCapturedStderr());
    }
}
