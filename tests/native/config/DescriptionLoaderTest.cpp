#include "tests/native/TempFolder.h"
#include "tests/support/SampleDescription.h"
#include "tests/support/TestInstaller.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>

namespace {
using Getter = int (Installer::*)(char*, int);

const char kNoPages[] = "<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues>";

// Runs the loader and keeps the debug log's messages without their number and time stamp.
class LoaderTest : public ::testing::Test {
  protected:
    int load(const std::string& description, testpayload::Entries extra = {}) {
        extra.insert(extra.begin(), {"install.xml", description});
        return loadPackage(extra);
    }
    int loadPackage(const testpayload::Entries& entries, TestInstaller& target,
                    RecordingUI& targetUi) {
        EXPECT_TRUE(testpayload::writeFile(folder / "package.bin", testpayload::build(entries)));
        return runLoader(target, targetUi, folder / "package.bin", 0);
    }
    int loadPackage(const testpayload::Entries& entries) {
        return loadPackage(entries, installer, ui);
    }

    int runLoader(TestInstaller& target, RecordingUI& targetUi, const std::string& source,
                  int uninstall) {
        EXPECT_EQ(target.openPayload(source.c_str(), 0, uninstall), 0);
        Log log;
        EXPECT_EQ(log.open((folder / "debug.log").c_str(), 0), 0);
        int result = target.loadDescription(&targetUi, &log);
        log.close();
        std::ifstream file(folder / "debug.log");
        messages.clear();
        for (std::string line; std::getline(file, line);) {
            size_t stamp = line.find("]    ");
            messages.push_back(line.substr(stamp + 5, line.size() - stamp - 6));
        }
        return result;
    }

    std::string text(Getter getter) {
        char out[512];
        return (installer.*getter)(out, sizeof out) == 0 ? out
                                                         : "<failed:" + std::string(out) + ">";
    }

    std::string variable(const char* name) {
        char value[1024];
        return installer.getVariable(name, value, sizeof value) >= 0 ? value : "<undefined>";
    }

    TempFolder folder;
    TestInstaller installer;
    RecordingUI ui;
    std::vector<std::string> messages;
};
} // namespace

TEST_F(LoaderTest, SampleDescriptionLoadsEveryPart) {
    installer.setVariable("PROGRAMFILES", "C:\\Program Files");
    ASSERT_EQ(load(sampledescription::text(), {{"..binsample.exe", "MZ12345"}, {"AppIcon", "ic"}}),
              0);
    std::vector<std::string> steps = sampledescription::loaderSteps();
    steps.push_back("Ending installation UI");
    EXPECT_EQ(messages, steps);
    EXPECT_EQ(ui.runs, 1);
    EXPECT_EQ(installer.currentDialog(), 0);
    const std::pair<Getter, const char*> getters[] = {
        {&Installer::getProductName, "Sample Product"},
        {&Installer::getMajorVersion, "1"},
        {&Installer::getVersionString, "1.50.SP2"},
        {&Installer::getWebsite, "https://example.test/"},
        {&Installer::getSupportEmail, "help@example.test"},
        {&Installer::getHelpUrl, "https://example.test/help.htm"},
        {&Installer::getInstallLogFile, "C:\\Program Files\\Sample\\uninst\\install.log"},
        {&Installer::getUninstallXmlFile, "C:\\Program Files\\Sample\\uninst\\install.xml"}};
    for (const auto& [getter, expected] : getters)
        EXPECT_EQ(text(getter), expected);
    EXPECT_EQ(variable("MODE"), "1");

    // File sets in document order, each set's files in reverse document order.
    ASSERT_EQ(installer.fileSetCount(), 2);
    EXPECT_STREQ(installer.fileSet(1).name, "Docs");
    EXPECT_STREQ(installer.fileSet(1).condition, "[DOCS]==1");
    ASSERT_EQ(installer.fileCount(), 4);
    EXPECT_STREQ(installer.file(0).alias, "install.xml");
    EXPECT_STREQ(installer.file(1).alias, "AppIcon");
    EXPECT_STREQ(installer.file(1).fileName, "icon.png");
    const FileInfo& program = installer.file(2);
    EXPECT_STREQ(program.alias, "..binsample.exe");
    EXPECT_EQ(program.unpackedSize, 7u);
    EXPECT_EQ(program.executable, 1);
    EXPECT_EQ(program.expandVariables, 0);
    const FileInfo& readme = installer.file(3);
    EXPECT_EQ(readme.fileSet, 1);
    EXPECT_STREQ(readme.destination, "[INSTALLDIR]\\doc");
    EXPECT_EQ(readme.unpackedSize, 0u);
    EXPECT_EQ(readme.expandVariables, 1);

    ASSERT_EQ(installer.dialogCount(), 4);
    EXPECT_STREQ(installer.getDialog(2).name, "CopyProgress");
    EXPECT_EQ(installer.getDialog(2).special, 1);
    EXPECT_STREQ(installer.getDialog(1).condition, "[MODE]!=2");
    EXPECT_EQ(installer.getDialog(9).elementIndex, 0);
    ASSERT_EQ(installer.fieldCount(), 3);
    EXPECT_EQ(installer.getField(0).type, FIELD_DIRECTORY);
    EXPECT_EQ(installer.getField(1).type, FIELD_CHECKBOX);
    FieldInfo mode = installer.getField(2);
    EXPECT_EQ(mode.type, FIELD_RADIOBUTTONS);
    EXPECT_EQ(mode.page, 1);
    EXPECT_EQ(std::make_pair(mode.x, mode.y), std::make_pair(-1, -1));
    EXPECT_STREQ(mode.content, "Typical;Custom");
    // A field whose condition fails comes back blank on page -1, and whole once it holds.
    installer.setVariable("MODE", "2");
    EXPECT_EQ(installer.getField(1).page, -1);
    EXPECT_STREQ(installer.getField(1).variable, "");
    installer.setVariable("MODE", "1");
    EXPECT_STREQ(installer.getField(1).variable, "DOCS");
}

TEST_F(LoaderTest, ProductDescUnderTheRootServesTheGettersAndUndefinedPathsFail) {
    ASSERT_EQ(load("<VarnexGroupInstallation><Desc><ProductDesc><Fullname>Nested</Fullname>"
                   "<MajorVersion>2</MajorVersion><MinorVersion>0</MinorVersion></ProductDesc>"
                   "</Desc><Dialogs></Dialogs><Installation><Uninstall><InstallLogFile>[NOPE]\\x"
                   ".log</InstallLogFile></Uninstall><DefValues></DefValues></Installation>"
                   "</VarnexGroupInstallation>"),
              0);
    EXPECT_EQ(text(&Installer::getProductName), "Nested");
    EXPECT_EQ(text(&Installer::getVersionString), "<failed:2.0.>");
    EXPECT_EQ(text(&Installer::getWebsite), "<failed:>");
    EXPECT_EQ(text(&Installer::getInstallLogFile), "<failed:>");
    EXPECT_EQ(text(&Installer::getUninstallCmd), "<failed:>");
    char tiny[4];
    EXPECT_EQ(installer.getProductName(tiny, sizeof tiny), -1);
    EXPECT_EQ(installer.getProductName(nullptr, 10), -1);
}

TEST_F(LoaderTest, EachMissingPartStopsTheLoadAtItsStepAndTheRunResultIsReturned) {
    EXPECT_EQ(installer.loadDescription(nullptr, nullptr), -1);
    struct Row {
        std::string description;
        int runResult, expected;
        const char* lastMessage;
    };
    const Row rows[] = {
        {"<R><Dialogs></Dialogs></R>", 0, -1, "Getting product description"},
        {"<R><ProductDesc></ProductDesc><UninstallDialogs></UninstallDialogs><DefValues>"
         "</DefValues></R>",
         0, -1, "Getting UI dialogs"},
        {"<R><ProductDesc></ProductDesc><Dialogs></Dialogs></R>", 0, -1,
         "Initializing default values"},
        {kNoPages + std::string("</DefValues></R>"), 3, 3,
         "There were errors during the installation"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.lastMessage);
        TestInstaller fresh;
        RecordingUI freshUi;
        freshUi.runResult = row.runResult;
        EXPECT_EQ(loadPackage({{"install.xml", row.description}}, fresh, freshUi), row.expected);
        EXPECT_EQ(messages.back(), row.lastMessage);
        EXPECT_EQ(freshUi.runs, row.expected == -1 ? 0 : 1);
    }
}

TEST_F(LoaderTest, MissingDescriptionEntry) {
    EXPECT_EQ(loadPackage({{"other", "x"}}), -1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Decompressing installation file",
                                                  "Error decompressing installation file",
                                                  "Cannot continue due to error(s)"}));
}

TEST_F(LoaderTest, UninstallReadsTheDescriptionNamedByTheActionLog) {
    ASSERT_TRUE(testpayload::writeFile(folder / "saved.xml", sampledescription::text()));
    ASSERT_TRUE(testpayload::writeFile(folder / "action.log",
                                       folder / "saved.xml" + "  \r\nNUMVARS\t0\r\n"));
    installer.configFile = folder / "missing.xml"; // ignored while uninstalling
    ASSERT_EQ(runLoader(installer, ui, folder / "action.log", 1), 0);
    EXPECT_EQ(messages.front(), "Reading installation file name from action log");
    EXPECT_EQ(messages[1], "Reading installation file");
    EXPECT_EQ(installer.dialogCount(), 3);
    EXPECT_EQ(installer.fieldCount(), 0);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(installer.readVariables(), 0);

    for (const std::string& actionLog : {folder / "nothere.xml" + "\r\n", std::string()}) {
        SCOPED_TRACE(actionLog);
        TestInstaller other;
        ASSERT_TRUE(testpayload::writeFile(folder / "action2.log", actionLog));
        EXPECT_EQ(runLoader(other, ui, folder / "action2.log", 1), -1);
    }
}

TEST_F(LoaderTest, LiteralDefaultsAndTheirReferences) {
    struct Row {
        const char* name;
        const char* text;
        const char* expected;
    };
    const Row rows[] = {{"LATE", "$DEFINEDLATER", "<undefined>"},
                        {"STDROOT", "C:\\Products", "C:\\Products"},
                        {"BIN", "$STDROOT\\bin", "C:\\Products\\bin"},
                        {"A", "a", "a"},
                        {"B", "b", "b"},
                        {"AB", "$A$B[x]", "ab[x]"},
                        {"DOT", "$A.txt", "a.txt"},
                        {"BLANK", "$ x", "<undefined>"},
                        {"EMPTY", "", ""},
                        {"DEFINEDLATER", "1", "1"}};
    std::string values = "<Value Name=\"ODD\" DataType=\"text\">1</Value><Value DataType=\"value\">"
                         "1</Value><Value Name=\"REG\" DataType=\"registry\" "
                         "RegPlace=\"HKEY_USERS\" RegKey=\"x\"></Value>";
    for (const Row& row : rows)
        values += std::string("<Value Name=\"") + row.name + "\" DataType=\"value\">" + row.text +
                  "</Value>";
    ASSERT_EQ(load(kNoPages + ("<Group>" + values + "</Group></DefValues></R>")), 0);
    for (const Row& row : rows)
        EXPECT_EQ(variable(row.name), row.expected) << row.name;
    EXPECT_EQ(variable("ODD"), "<undefined>");
    EXPECT_EQ(variable("REG"), "<undefined>");
}

TEST_F(LoaderTest, OverLongTextIsRefusedNotCut) {
    std::string description =
        "<R><ProductDesc></ProductDesc><Dialogs><P><Field Type=\"Directory\">" +
        std::string(120, 'V') +
        "</Field><field type=\"checkbox\">OPEN_IT</field></P></Dialogs>"
        "<FileSet Name=\"S\"><FN Dest=\"" +
        std::string(300, 'd') +
        "\">a.txt</FN><FN>b.txt</FN></FileSet><DefValues>"
        "<Value Name=\"DIR\" DataType=\"value\">C:\\short</Value>"
        "<Value Name=\"DIR\" DataType=\"value\">C:\\" +
        std::string(1100, 'f') + "</Value></DefValues></R>";
    ASSERT_EQ(load(description), 0);
    EXPECT_EQ(variable("DIR"), "C:\\short");
    ASSERT_EQ(installer.fileCount(), 1);
    EXPECT_STREQ(installer.file(0).alias, "b.txt");
    ASSERT_EQ(installer.fieldCount(), 1);
    EXPECT_EQ(installer.getField(0).type, FIELD_CHECKBOX);
    EXPECT_STREQ(installer.getField(0).variable, "OPEN_IT");
}

TEST_F(LoaderTest, FieldsAttachByTheirPageName) {
    ASSERT_EQ(load("<R><ProductDesc></ProductDesc><UninstallDialogs><Welcome><Field>U</Field>"
                   "</Welcome></UninstallDialogs><Dialogs><Intro></Intro><welcome Special=\"2x\">"
                   "</welcome></Dialogs><Field>Outside</Field><DefValues></DefValues></R>"),
              0);
    ASSERT_EQ(installer.fieldCount(), 1);
    EXPECT_EQ(installer.getField(0).page, 1);
    EXPECT_STREQ(installer.getField(0).variable, "U");
    EXPECT_EQ(installer.getField(0).type, 0);
    EXPECT_EQ(installer.getDialog(1).special, 2);
}
