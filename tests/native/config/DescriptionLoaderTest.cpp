#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "package/Log.h"
#include "package/Payload.h"
#include "package/PayloadFormat.h"
#include "startup/Installer.h"
#include "system/RecordingSystem.h"
#include "tests/native/TempFolder.h"
#include "tests/support/RecordingUI.h"
#include "tests/support/SampleDescription.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {
using Lines = std::vector<std::string>;

// A debug log that keeps its messages in memory, without line numbers and time stamps.
class MemoryLog : public Log {
  public:
    MemoryLog() { flags = 0; }
    void write(const void* bytes, uint32_t length) override {
        text.append(static_cast<const char*>(bytes), length);
    }
    Lines lines() const {
        Lines out;
        for (size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
            out.push_back(text.substr(at, end - at));
        return out;
    }
    std::string text;
};

// A description parsed over its own variables.
struct Document {
    explicit Document(const std::string& text) { description.parse(text.c_str(), text.size()); }
    const XmlDocument& xml() const { return description.document(); }
    VariableStore variables;
    Description description{variables};
};

std::string valueOf(const VariableStore& variables, const char* name) {
    char value[VariableStore::kValueSize];
    return variables.get(name, value, sizeof value) >= 0 ? value : "<undefined>";
}

std::string defaults(const std::string& values) {
    return "<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues>" + values +
           "</DefValues></R>";
}
} // namespace

TEST(Description, GettersGiveProductTextsAndExpandedUninstallPathsOnlyWhole) {
    using Getter = int (Description::*)(char*, int) const;
    Document sample(sampledescription::text());
    sample.variables.set("INSTALLDIR", "C:\\Program Files\\Sample");
    Document nested("<VarnexGroupInstallation><Desc><ProductDesc><Fullname>Nested</Fullname>"
                    "<MajorVersion>2</MajorVersion><MinorVersion>0</MinorVersion></ProductDesc>"
                    "</Desc><Installation><Uninstall><InstallLogFile>[NOPE]\\x.log"
                    "</InstallLogFile></Uninstall></Installation></VarnexGroupInstallation>");
    const std::string uninst = "C:\\Program Files\\Sample\\uninst\\";
    struct Row {
        const Document& document;
        Getter getter;
        int size;
        std::string expected;
    } rows[] = {
        {sample, &Description::getProductName, 512, "Sample Product"},
        {sample, &Description::getMajorVersion, 512, "1"},
        {sample, &Description::getVersionString, 512, "1.50.SP2"},
        {sample, &Description::getWebsite, 512, "https://example.test/"},
        {sample, &Description::getSupportEmail, 512, "help@example.test"},
        {sample, &Description::getHelpUrl, 512, "https://example.test/help.htm"},
        {sample, &Description::getInstallLogFile, 512, uninst + "install.log"},
        {sample, &Description::getInstallBackupFile, 512, uninst + "backup.bin"},
        {sample, &Description::getUninstallCmd, 512, uninst + "uninstall.exe"},
        {sample, &Description::getUninstallXmlFile, 512, uninst + "install.xml"},
        {sample, &Description::getProductName, 15, "Sample Product"},
        {sample, &Description::getProductName, 14, "<refused>"},
        {sample, &Description::getInstallLogFile, 43, uninst + "install.log"},
        {sample, &Description::getInstallLogFile, 42, "<refused>"},
        {nested, &Description::getProductName, 512, "Nested"},
        {nested, &Description::getVersionString, 512, "<refused>"},
        {nested, &Description::getWebsite, 512, "<refused>"},
        {nested, &Description::getInstallLogFile, 512, "<refused>"},
        {nested, &Description::getUninstallCmd, 512, "<refused>"},
    };
    for (const Row& row : rows) {
        char out[512];
        std::memset(out, 'x', sizeof out);
        int result = (row.document.description.*row.getter)(out, row.size);
        EXPECT_EQ(result == 0 ? out : "<refused>", row.expected) << "row " << &row - rows;
    }
    EXPECT_EQ(sample.description.getProductName(nullptr, 10), -1);
    EXPECT_TRUE(nested.description.hasProductDescription());
    EXPECT_FALSE(Document("<R><Dialogs></Dialogs></R>").description.hasProductDescription());
}

TEST(FileList, NamedSetsInDocumentOrderTheirFilesLastToFirstWithPackagedSizes) {
    TempFolder folder;
    writeAll(folder / "package.bin", testpayload::build({{"..binsample.exe", "MZ12345"}}));
    Payload payload;
    ASSERT_EQ(payload.open((folder / "package.bin").c_str(), 0), 0);
    Document sample(sampledescription::text());
    FileList files;
    ASSERT_EQ(files.read(sample.xml(), payload, nullptr), 0);
    ASSERT_EQ(files.fileSetCount(), 2);
    EXPECT_STREQ(files.fileSet(1).name, "Docs");
    EXPECT_STREQ(files.fileSet(1).condition, "[DOCS]==1");
    struct Row {
        int set;
        const char *alias, *fileName, *destination, *condition;
        uint32_t size;
        int executable, expand;
    } rows[] = {{0, "install.xml", "install.xml", "[INSTALLDIR]\\uninst", "", 0, 0, 0},
                {0, "AppIcon", "icon.png", "[INSTALLDIR]", "", 0, 0, 0},
                {0, "..binsample.exe", "sample.exe", "[INSTALLDIR]", "", 7, 1, 0},
                {1, "..docreadme.txt", "readme.txt", "[INSTALLDIR]\\doc", "[MODE]!=2", 0, 0, 1}};
    ASSERT_EQ(files.fileCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const FileInfo& file = files.file(i);
        EXPECT_EQ(file.fileSet, rows[i].set);
        EXPECT_STREQ(file.alias, rows[i].alias);
        EXPECT_STREQ(file.fileName, rows[i].fileName);
        EXPECT_STREQ(file.destination, rows[i].destination);
        EXPECT_STREQ(file.condition, rows[i].condition);
        EXPECT_EQ(file.unpackedSize, rows[i].size);
        EXPECT_EQ(file.executable, rows[i].executable);
        EXPECT_EQ(file.expandVariables, rows[i].expand);
    }
}

TEST(PageList, PagesOfTheRunAndTheirFieldsWhileTheFieldConditionHolds) {
    Document sample(sampledescription::text());
    PageList pages;
    ASSERT_EQ(pages.readDialogs(sample.xml(), 0, nullptr), 0);
    ASSERT_EQ(pages.readFields(sample.xml(), 0, nullptr), 0);
    ASSERT_EQ(pages.dialogCount(), 4);
    EXPECT_STREQ(pages.dialog(2).name, "CopyProgress");
    EXPECT_EQ(pages.dialog(2).special, 1);
    EXPECT_STREQ(pages.dialog(1).condition, "[MODE]!=2");
    EXPECT_STREQ(pages.dialog(9).name, "");
    ASSERT_EQ(pages.fieldCount(), 3);
    sample.variables.set("MODE", "1");
    const int types[] = {FIELD_DIRECTORY, FIELD_CHECKBOX, FIELD_RADIOBUTTONS};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(pages.field(i, sample.variables).type, types[i]);
    FieldInfo mode = pages.field(2, sample.variables);
    EXPECT_EQ(mode.page, 1);
    EXPECT_EQ(mode.x, -1);
    EXPECT_STREQ(mode.content, "Typical;Custom");
    EXPECT_STREQ(pages.field(1, sample.variables).variable, "DOCS");
    sample.variables.set("MODE", "2");
    EXPECT_EQ(pages.field(1, sample.variables).page, -1);
    EXPECT_STREQ(pages.field(1, sample.variables).variable, "");

    PageList uninstall;
    ASSERT_EQ(uninstall.readDialogs(sample.xml(), 1, nullptr), 0);
    EXPECT_EQ(uninstall.readFields(sample.xml(), 1, nullptr), 0);
    EXPECT_EQ(uninstall.dialogCount(), 3);
    EXPECT_EQ(uninstall.fieldCount(), 0);
    EXPECT_EQ(PageList().readDialogs(Document("<R></R>").xml(), 0, nullptr), -1);
}

TEST(PageList, FieldsAttachToThePageOfTheirParentsNameInAnyCase) {
    Document document("<R><UninstallDialogs><Welcome><Field>U</Field></Welcome></UninstallDialogs>"
                      "<Dialogs><Intro></Intro><welcome Special=\"2x\"></welcome></Dialogs>"
                      "<Field>Outside</Field></R>");
    PageList pages;
    ASSERT_EQ(pages.readDialogs(document.xml(), 0, nullptr), 0);
    ASSERT_EQ(pages.readFields(document.xml(), 0, nullptr), 0);
    EXPECT_EQ(pages.dialog(1).special, 2);
    ASSERT_EQ(pages.fieldCount(), 1);
    EXPECT_EQ(pages.field(0, document.variables).page, 1);
    EXPECT_STREQ(pages.field(0, document.variables).variable, "U");
    EXPECT_EQ(pages.field(0, document.variables).type, 0);
}

TEST(DescriptionLists, OverLongNamesPathsConditionsAndVariablesAreLeftOutWithADebugLogLine) {
    const std::string tooLong(300, 'c');
    Document document("<R><Dialogs><P><Field Label=\"Folder\">" + std::string(120, 'V') +
                      "</Field><Field>OPEN_IT</Field></P><Q Condition=\"" + tooLong +
                      "\"></Q></Dialogs><FileSet Name=\"S\"><FN Dest=\"" + tooLong +
                      "\">a.txt</FN><FN>b.txt</FN><FN Condition=\"" + tooLong +
                      "\">c.txt</FN></FileSet><FileSet Name=\"T\" Condition=\"" + tooLong +
                      "\"><FN>d.txt</FN></FileSet></R>");
    MemoryLog log;
    Payload none;
    FileList files;
    PageList pages;
    ASSERT_EQ(files.read(document.xml(), none, &log), 0);
    ASSERT_EQ(pages.readDialogs(document.xml(), 0, &log), 0);
    ASSERT_EQ(pages.readFields(document.xml(), 0, &log), 0);
    ASSERT_EQ(files.fileCount(), 1);
    EXPECT_STREQ(files.file(0).alias, "b.txt");
    EXPECT_EQ(files.fileSetCount(), 1);
    EXPECT_EQ(pages.dialogCount(), 1);
    ASSERT_EQ(pages.fieldCount(), 1);
    EXPECT_STREQ(pages.field(0, document.variables).variable, "OPEN_IT");
    EXPECT_EQ(log.lines(),
              (Lines{"Skipping file \"c.txt\": a name, path or condition is too long",
                     "Skipping file \"a.txt\": a name, path or condition is too long",
                     "Skipping file set \"T\": its name or condition is too long",
                     "Skipping page \"Q\": its name or condition is too long",
                     "Skipping field \"Folder\": its variable or condition is too long"}));
}

TEST(DefaultValues, LiteralsWithDollarReferencesToVariablesAlreadySet) {
    const char* rows[][3] = {{"LATE", "$DEFINEDLATER", "<undefined>"},
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
    for (const auto& row : rows)
        values +=
            std::string("<value Name=\"") + row[0] + "\" DataType=\"VALUE\">" + row[1] + "</value>";
    Document document(defaults("<Group>" + values + "</Group>"));
    ASSERT_EQ(DefaultValues(document.variables, nullptr).apply(document.xml()), 0);
    for (const auto& row : rows)
        EXPECT_EQ(valueOf(document.variables, row[0]), row[2]) << row[0];
    EXPECT_EQ(valueOf(document.variables, "ODD"), "<undefined>");
    EXPECT_EQ(valueOf(document.variables, "REG"), "<undefined>");
    EXPECT_EQ(document.variables.count(), 8);
    EXPECT_EQ(DefaultValues(document.variables, nullptr).apply(Document("<R/>").xml()), -1);
}

TEST(DefaultValues, OverLongValuesKeepThePreviousOneAndOverLongNamesAreLogged) {
    const std::string longName(300, 'N');
    Document document(defaults("<Value Name=\"DIR\" DataType=\"value\">C:\\short</Value>"
                               "<Value Name=\"DIR\" DataType=\"value\">C:\\" +
                               std::string(1100, 'f') + "</Value><Value Name=\"" + longName +
                               "\" DataType=\"value\">1</Value>"));
    MemoryLog log;
    ASSERT_EQ(DefaultValues(document.variables, &log).apply(document.xml()), 0);
    EXPECT_EQ(valueOf(document.variables, "DIR"), "C:\\short");
    EXPECT_EQ(document.variables.count(), 1);
    EXPECT_NE(log.text.find("Skipping default value of \"" + longName +
                            "\": the name or value is too long"),
              std::string::npos);
}

TEST(DefaultValues, ConfigurationFileOverridesTheDescriptionAndAMissingOneStops) {
    TempFolder folder;
    writeAll(folder / "config.xml", "<Settings><DefValues><value name=\"DIR\" datatype=\"VALUE\">"
                                    "$OTHER\\Own</value></DefValues></Settings>");
    Document document(defaults("<Value Name=\"DIR\" DataType=\"value\">C:\\Default</Value>"
                               "<Value Name=\"OTHER\" DataType=\"value\">kept</Value>"));
    RecordingUI ui;
    DefaultValues values(document.variables, nullptr);
    ASSERT_EQ(values.initialize(document.xml(), (folder / "config.xml").c_str(), &ui), 0);
    EXPECT_EQ(valueOf(document.variables, "DIR"), "kept\\Own");
    EXPECT_EQ(valueOf(document.variables, "OTHER"), "kept");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(values.initialize(document.xml(), (folder / "missing.xml").c_str(), &ui), -1);
    EXPECT_EQ(ui.questions, Lines{std::to_string(InstallerUI::kAskNotice) +
                                  ":Configuration file not found. Installation cannot continue."});
}

TEST(Installer, LoadingReadsEachPartInTurnAndStopsAtTheFirstMissingOne) {
    TempFolder folder;
    writeAll(folder / "saved.xml", sampledescription::text());
    Lines installed = sampledescription::loaderSteps();
    installed.push_back("Ending installation UI");
    auto firstSteps = [&](size_t count) {
        return Lines(installed.begin(), installed.begin() + count);
    };
    Lines uninstalled = {"Reading installation file name from action log",
                         "Reading installation file"};
    uninstalled.insert(uninstalled.end(), installed.begin() + 1, installed.end());
    const std::string failed = "Cannot continue due to error(s)";
    struct Row {
        const char* what;
        std::string file; // the package's description, or an uninstall's action log
        int uninstall, runResult, expected, dialogs;
        Lines steps;
    } rows[] = {
        {"sample", sampledescription::text(), 0, 0, 0, 4, installed},
        {"handler fails", defaults(""), 0, 3, 3, 0, installed},
        {"no ProductDesc", "<R><Dialogs></Dialogs></R>", 0, 0, -1, 0, firstSteps(3)},
        {"no Dialogs", "<R><ProductDesc></ProductDesc><UninstallDialogs></UninstallDialogs></R>", 0,
         0, -1, 0, firstSteps(5)},
        {"no DefValues", "<R><ProductDesc></ProductDesc><Dialogs></Dialogs></R>", 0, 0, -1, 0,
         firstSteps(7)},
        {"no description",
         "",
         0,
         0,
         -1,
         0,
         {installed[0], "Error decompressing installation file", failed}},
        // The uninstall ignores the configuration file: it has the values it recorded.
        {"uninstall", folder / "saved.xml" + "  \r\nNUMVARS\t0\r\n", 1, 0, 0, 3, uninstalled},
        {"saved description missing",
         folder / "nothere.xml\r\n",
         1,
         0,
         -1,
         0,
         {uninstalled[0], uninstalled[1], "Error reading installation file", failed}},
        {"empty action log",
         "",
         1,
         0,
         -1,
         0,
         {uninstalled[0], "Could not obtain installation file from action log"}},
    };
    rows[1].steps.push_back("There were errors during the installation");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        writeAll(folder / "input",
                 row.uninstall || row.file.empty()
                     ? row.uninstall ? row.file : testpayload::build({{"other", "x"}})
                     : testpayload::build({{"install.xml", row.file}}));
        RecordingSystem system;
        Installer installer(system);
        RecordingUI ui;
        ui.runResult = row.runResult;
        MemoryLog log;
        ASSERT_EQ(installer.openPayload((folder / "input").c_str(), 0, row.uninstall), 0);
        std::string config = row.uninstall ? folder / "missing.xml" : "";
        EXPECT_EQ(installer.loadDescription(&ui, &log, config.c_str()), row.expected);
        EXPECT_EQ(log.lines(), row.steps);
        EXPECT_EQ(ui.runs, row.expected == -1 ? 0 : 1);
        EXPECT_EQ(installer.wizard().dialogCount(), row.dialogs);
    }
}
