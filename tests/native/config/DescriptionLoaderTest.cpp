#include "tests/support/SampleDescription.h"
#include "tests/support/TestInstaller.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {
// Runs the loader on a package holding the description (and the given extra entries) and
// keeps the debug log's messages without their number and time stamp.
class LoaderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        directory_ = mkdtemp(directoryTemplate_);
        ASSERT_NE(directory_, nullptr);
    }
    void TearDown() override {
        std::string command = "rm -rf '" + std::string(directory_) + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    std::string path(const char* name) const { return std::string(directory_) + "/" + name; }

    int load(const std::string& description, testpayload::Entries extra = {}) {
        extra.insert(extra.begin(), {"install.xml", description});
        std::string package = path("package.bin");
        EXPECT_TRUE(testpayload::writeFile(package, testpayload::build(extra)));
        EXPECT_EQ(installer.openPayload(package.c_str(), 0, 0), 0);
        return runLoader();
    }

    int runLoader() {
        Log log;
        EXPECT_EQ(log.open(path("debug.log").c_str(), 0), 0);
        int result = installer.loadDescription(&ui, &log);
        log.close();
        std::ifstream file(path("debug.log"));
        std::string line;
        messages.clear();
        while (std::getline(file, line)) {
            size_t stamp = line.find("]    ");
            messages.push_back(line.substr(stamp + 5, line.size() - stamp - 6));
        }
        return result;
    }

    std::string text(int (Installer::*getter)(char*, int)) {
        char out[512];
        return (installer.*getter)(out, sizeof out) == 0 ? out
                                                         : "<failed:" + std::string(out) + ">";
    }

    std::string variable(const char* name) {
        char value[1024];
        return installer.getVariable(name, value, sizeof value) >= 0 ? value : "<undefined>";
    }

    TestInstaller installer;
    RecordingUI ui;
    std::vector<std::string> messages;
    char directoryTemplate_[32] = "/tmp/loaderXXXXXX";
    char* directory_ = nullptr;
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
    EXPECT_EQ(text(&Installer::getProductName), "Sample Product");
    EXPECT_EQ(text(&Installer::getMajorVersion), "1");
    EXPECT_EQ(text(&Installer::getVersionString), "1.50.SP2");
    EXPECT_EQ(text(&Installer::getWebsite), "https://example.test/");
    EXPECT_EQ(text(&Installer::getSupportEmail), "help@example.test");
    EXPECT_EQ(text(&Installer::getHelpUrl), "https://example.test/help.htm");
    EXPECT_EQ(text(&Installer::getInstallLogFile),
              "C:\\Program Files\\Sample\\uninst\\install.log");
    EXPECT_EQ(text(&Installer::getUninstallXmlFile),
              "C:\\Program Files\\Sample\\uninst\\install.xml");
    EXPECT_EQ(variable("MODE"), "1");

    // File sets in document order, each set's files in reverse document order.
    ASSERT_EQ(installer.fileSetCount(), 2);
    EXPECT_STREQ(installer.fileSet(1).name, "Docs");
    EXPECT_STREQ(installer.fileSet(1).condition, "[DOCS]==1");
    ASSERT_EQ(installer.fileCount(), 4);
    EXPECT_STREQ(installer.file(0).alias, "install.xml");
    EXPECT_STREQ(installer.file(1).alias, "AppIcon");
    EXPECT_STREQ(installer.file(1).fileName, "icon.png");
    EXPECT_EQ(installer.file(1).unpackedSize, 2u);
    EXPECT_STREQ(installer.file(2).alias, "..binsample.exe");
    EXPECT_EQ(installer.file(2).unpackedSize, 7u);
    EXPECT_EQ(installer.file(2).executable, 1);
    EXPECT_EQ(installer.file(2).expandVariables, 0);
    const FileInfo& readme = installer.file(3);
    EXPECT_EQ(readme.fileSet, 1);
    EXPECT_STREQ(readme.alias, "..docreadme.txt");
    EXPECT_STREQ(readme.fileName, "readme.txt");
    EXPECT_STREQ(readme.destination, "[INSTALLDIR]\\doc");
    EXPECT_EQ(readme.unpackedSize, 0u);
    EXPECT_EQ(readme.expandVariables, 1);

    ASSERT_EQ(installer.dialogCount(), 4);
    EXPECT_STREQ(installer.getDialog(2).name, "CopyProgress");
    EXPECT_EQ(installer.getDialog(2).special, 1);
    EXPECT_STREQ(installer.getDialog(1).condition, "[MODE]!=2");
    EXPECT_EQ(installer.getDialog(9).elementIndex, 0);
    ASSERT_EQ(installer.fieldCount(), 3);
    FieldInfo mode = installer.getField(2);
    EXPECT_EQ(mode.type, FIELD_RADIOBUTTONS);
    EXPECT_EQ(mode.page, 1);
    EXPECT_EQ(mode.x, -1);
    EXPECT_EQ(mode.y, -1);
    EXPECT_STREQ(mode.content, "Typical;Custom");
    EXPECT_EQ(installer.getField(0).type, FIELD_DIRECTORY);
    // A field whose condition fails comes back blank on page -1, and whole once it holds.
    EXPECT_EQ(installer.getField(1).type, FIELD_CHECKBOX);
    installer.setVariable("MODE", "2");
    EXPECT_EQ(installer.getField(1).page, -1);
    EXPECT_STREQ(installer.getField(1).variable, "");
    installer.setVariable("MODE", "1");
    EXPECT_STREQ(installer.getField(1).variable, "DOCS");
}

TEST_F(LoaderTest, ProductDescUnderTheRootServesTheGettersAndUndefinedPathsFail) {
    const char* description =
        "<VarnexGroupInstallation><Desc><ProductDesc><Fullname>Nested</Fullname><MajorVersion>"
        "2</MajorVersion><MinorVersion>0</MinorVersion></ProductDesc></Desc><Dialogs></Dialogs>"
        "<Installation><Uninstall><InstallLogFile>[NOPE]\\x.log</InstallLogFile></Uninstall>"
        "<DefValues></DefValues></Installation></VarnexGroupInstallation>";
    ASSERT_EQ(load(description), 0);
    EXPECT_EQ(text(&Installer::getProductName), "Nested");
    EXPECT_EQ(text(&Installer::getVersionString), "<failed:2.0.>");
    EXPECT_EQ(text(&Installer::getWebsite), "<failed:>");
    EXPECT_EQ(text(&Installer::getInstallLogFile), "<failed:>");
    EXPECT_EQ(text(&Installer::getUninstallCmd), "<failed:>");
    char tiny[4];
    EXPECT_EQ(installer.getProductName(tiny, sizeof tiny), -1);
    EXPECT_EQ(installer.getProductName(nullptr, 10), -1);
}

TEST_F(LoaderTest, NoHandlerNoProductDesc) {
    EXPECT_EQ(installer.loadDescription(nullptr, nullptr), -1);
    ASSERT_EQ(load("<VarnexGroupInstallation><Dialogs></Dialogs></VarnexGroupInstallation>"), -1);
    EXPECT_EQ(messages.back(), "Getting product description");
    EXPECT_EQ(ui.runs, 0);
}

TEST_F(LoaderTest, NoDialogsOfTheMode) {
    ASSERT_EQ(load("<R><ProductDesc></ProductDesc><UninstallDialogs></UninstallDialogs>"
                   "<DefValues></DefValues></R>"),
              -1);
    EXPECT_EQ(messages.back(), "Getting UI dialogs");
}

TEST_F(LoaderTest, NoDefaultValues) {
    ASSERT_EQ(load("<R><ProductDesc></ProductDesc><Dialogs></Dialogs></R>"), -1);
    EXPECT_EQ(messages.back(), "Initializing default values");
    EXPECT_EQ(ui.runs, 0);
}

TEST_F(LoaderTest, MissingDescriptionEntry) {
    std::string package = path("package.bin");
    ASSERT_TRUE(testpayload::writeFile(package, testpayload::build({{"other", "x"}})));
    ASSERT_EQ(installer.openPayload(package.c_str(), 0, 0), 0);
    EXPECT_EQ(runLoader(), -1);
    EXPECT_EQ(messages, (std::vector<std::string>{"Decompressing installation file",
                                                  "Error decompressing installation file",
                                                  "Cannot continue due to error(s)"}));
}

TEST_F(LoaderTest, RunResultIsReturnedAndLogged) {
    ui.runResult = 3;
    EXPECT_EQ(load("<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues></DefValues></R>"),
              3);
    EXPECT_EQ(messages.back(), "There were errors during the installation");
}

TEST_F(LoaderTest, UninstallReadsTheDescriptionNamedByTheActionLog) {
    ASSERT_TRUE(testpayload::writeFile(path("saved.xml"), sampledescription::text()));
    ASSERT_TRUE(
        testpayload::writeFile(path("action.log"), path("saved.xml") + "  \r\nNUMVARS\t0\r\n"));
    installer.configFile = path("missing.xml"); // ignored while uninstalling
    ASSERT_EQ(installer.openPayload(path("action.log").c_str(), 0, 1), 0);
    ASSERT_EQ(runLoader(), 0);
    EXPECT_EQ(messages.front(), "Reading installation file name from action log");
    EXPECT_EQ(messages[1], "Reading installation file");
    EXPECT_EQ(installer.dialogCount(), 3);
    EXPECT_EQ(installer.fieldCount(), 0);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(installer.readVariables(), 0);

    TestInstaller other;
    ASSERT_TRUE(testpayload::writeFile(path("action2.log"), path("nothere.xml") + "\r\n"));
    ASSERT_EQ(other.openPayload(path("action2.log").c_str(), 0, 1), 0);
    Log log;
    EXPECT_EQ(other.loadDescription(&ui, &log), -1);
    TestInstaller empty;
    ASSERT_TRUE(testpayload::writeFile(path("action3.log"), ""));
    ASSERT_EQ(empty.openPayload(path("action3.log").c_str(), 0, 1), 0);
    EXPECT_EQ(empty.loadDescription(&ui, &log), -1);
}

TEST_F(LoaderTest, ConfigurationFileOverridesAndAMissingOneStopsTheLoad) {
    const char* description = "<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues>"
                              "<Value Name=\"DIR\" DataType=\"value\">C:\\A</Value>"
                              "<Value Name=\"KEEP\" DataType=\"value\">k</Value></DefValues></R>";
    ASSERT_TRUE(testpayload::writeFile(
        path("config.xml"),
        "<Config><DefValues><value name=\"DIR\" datatype=\"VALUE\">$KEEP\\D</value></DefValues>"
        "</Config>"));
    installer.configFile = path("config.xml");
    ASSERT_EQ(load(description), 0);
    EXPECT_EQ(variable("DIR"), "k\\D");
    EXPECT_TRUE(ui.questions.empty());

    TestInstaller missing;
    missing.configFile = path("absent.xml");
    std::string package = path("package.bin");
    ASSERT_EQ(missing.openPayload(package.c_str(), 0, 0), 0);
    RecordingUI missingUi;
    Log log;
    EXPECT_EQ(missing.loadDescription(&missingUi, &log), -1);
    ASSERT_EQ(missingUi.questions.size(), 1u);
    EXPECT_EQ(missingUi.questions[0],
              "1:Configuration file not found. Installation cannot continue.");
    EXPECT_EQ(missingUi.runs, 0);
}

TEST_F(LoaderTest, LiteralDefaultsAndTheirReferences) {
    const char* description =
        "<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues><Group>"
        "<Value Name=\"LATE\" DataType=\"value\">$DEFINEDLATER</Value>"
        "<Value Name=\"STDROOT\" DataType=\"value\">C:\\Products</Value>"
        "<Value Name=\"BIN\" DataType=\"value\">$STDROOT\\bin</Value>"
        "<Value Name=\"A\" DataType=\"value\">a</Value><Value Name=\"B\" DataType=\"value\">b"
        "</Value><Value Name=\"AB\" DataType=\"value\">$A$B[x]</Value>"
        "<Value Name=\"DOT\" DataType=\"value\">$A.txt</Value>"
        "<Value Name=\"BLANK\" DataType=\"value\">$ x</Value>"
        "<Value Name=\"EMPTY\" DataType=\"value\"></Value>"
        "<Value Name=\"ODD\" DataType=\"text\">1</Value><Value DataType=\"value\">1</Value>"
        "<Value Name=\"DEFINEDLATER\" DataType=\"value\">1</Value>"
        "<Value Name=\"REG\" DataType=\"registry\" RegPlace=\"HKEY_USERS\" RegKey=\"x\"></Value>"
        "</Group></DefValues></R>";
    ASSERT_EQ(load(description), 0);
    EXPECT_EQ(variable("LATE"), "<undefined>");
    EXPECT_EQ(variable("BIN"), "C:\\Products\\bin");
    EXPECT_EQ(variable("AB"), "ab[x]");
    EXPECT_EQ(variable("DOT"), "a.txt");
    EXPECT_EQ(variable("BLANK"), "<undefined>");
    EXPECT_EQ(variable("EMPTY"), "");
    EXPECT_EQ(variable("ODD"), "<undefined>");
    EXPECT_EQ(variable("REG"), "<undefined>");
}

TEST_F(LoaderTest, OverLongTextIsRefusedNotCut) {
    std::string longFolder = "C:\\" + std::string(1100, 'f');
    std::string description =
        "<R><ProductDesc></ProductDesc><Dialogs><P><Field Type=\"Directory\">" +
        std::string(120, 'V') +
        "</Field><field type=\"checkbox\">OPEN_IT</field></P></Dialogs>"
        "<FileSet Name=\"S\"><FN Dest=\"" +
        std::string(300, 'd') +
        "\">a.txt</FN><FN>b.txt</FN>"
        "</FileSet><DefValues><Value Name=\"DIR\" DataType=\"value\">C:\\short</Value>"
        "<Value Name=\"DIR\" DataType=\"value\">" +
        longFolder + "</Value></DefValues></R>";
    ASSERT_EQ(load(description), 0);
    EXPECT_EQ(variable("DIR"), "C:\\short");
    ASSERT_EQ(installer.fileCount(), 1);
    EXPECT_STREQ(installer.file(0).alias, "b.txt");
    ASSERT_EQ(installer.fieldCount(), 1);
    EXPECT_EQ(installer.getField(0).type, FIELD_CHECKBOX);
    EXPECT_STREQ(installer.getField(0).variable, "OPEN_IT");
}

TEST_F(LoaderTest, FieldsAttachByTheirPageName) {
    const char* description =
        "<R><ProductDesc></ProductDesc><UninstallDialogs><Welcome><Field>U</Field></Welcome>"
        "</UninstallDialogs><Dialogs><Intro></Intro><welcome Special=\"2x\"></welcome></Dialogs>"
        "<Field>Outside</Field><DefValues></DefValues></R>";
    ASSERT_EQ(load(description), 0);
    ASSERT_EQ(installer.fieldCount(), 1);
    EXPECT_EQ(installer.getField(0).page, 1);
    EXPECT_STREQ(installer.getField(0).variable, "U");
    EXPECT_EQ(installer.getField(0).type, 0);
    EXPECT_EQ(installer.getDialog(1).special, 2);
}
