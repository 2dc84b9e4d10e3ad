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
    Document sample(sampledescription::text());
    sample.variables.set("INSTALLDIR", "C:\\Program Files\\Sample");
    Document nested("<VarnexGroupInstallation><Desc><ProductDesc><Fullname>Nested</Fullname>"
                    "<MajorVersion>2</MajorVersion><MinorVersion>0</MinorVersion></ProductDesc>"
                    "</Desc><Installation><Uninstall><InstallLogFile>[NOPE]\\x.log"
                    "</InstallLogFile></Uninstall></Installation></VarnexGroupInstallation>");
    auto get = [](const Document& document, auto getter, int size = 512) {
        char out[512];
        return (document.description.*getter)(out, size) == 0 ? std::string(out) : "<refused>";
    };
    const std::string uninst = "C:\\Program Files\\Sample\\uninst\\";
    EXPECT_EQ(get(sample, &Description::getProductName), "Sample Product");
    EXPECT_EQ(get(sample, &Description::getMajorVersion), "1");
    EXPECT_EQ(get(sample, &Description::getVersionString), "1.50.SP2");
    EXPECT_EQ(get(sample, &Description::getWebsite), "https://example.test/");
    EXPECT_EQ(get(sample, &Description::getSupportEmail), "help@example.test");
    EXPECT_EQ(get(sample, &Description::getHelpUrl), "https://example.test/help.htm");
    EXPECT_EQ(get(sample, &Description::getInstallLogFile), uninst + "install.log");
    EXPECT_EQ(get(sample, &Description::getInstallBackupFile), uninst + "backup.bin");
    EXPECT_EQ(get(sample, &Description::getUninstallCmd), uninst + "uninstall.exe");
    EXPECT_EQ(get(sample, &Description::getUninstallXmlFile), uninst + "install.xml");
    EXPECT_EQ(get(sample, &Description::getProductName, 15), "Sample Product");
    EXPECT_EQ(get(sample, &Description::getProductName, 14), "<refused>");
    EXPECT_EQ(get(sample, &Description::getInstallLogFile, 43), uninst + "install.log");
    EXPECT_EQ(get(sample, &Description::getInstallLogFile, 42), "<refused>");
    EXPECT_EQ(get(nested, &Description::getProductName), "Nested");
    EXPECT_EQ(get(nested, &Description::getVersionString), "<refused>");
    EXPECT_EQ(get(nested, &Description::getInstallLogFile), "<refused>");
    EXPECT_EQ(get(nested, &Description::getUninstallCmd), "<refused>");
    EXPECT_EQ(sample.description.getProductName(nullptr, 10), -1);
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
    EXPECT_STREQ(files.fileSet(1).condition, "[DOCS]==1");
    Lines described;
    for (int i = 0; i < files.fileCount(); ++i) {
        const FileInfo& file = files.file(i);
        described.push_back(std::to_string(file.fileSet) + " " + file.alias + " " + file.fileName +
                            " " + file.destination + " " + file.condition + " " +
                            std::to_string(file.unpackedSize) + (file.executable ? " run" : "") +
                            (file.expandVariables ? " expand" : ""));
    }
    EXPECT_EQ(described,
              (Lines{"0 install.xml install.xml [INSTALLDIR]\\uninst  0",
                     "0 AppIcon icon.png [INSTALLDIR]  0",
                     "0 ..binsample.exe sample.exe [INSTALLDIR]  7 run",
                     "1 ..docreadme.txt readme.txt [INSTALLDIR]\\doc [MODE]!=2 0 expand"}));
}

TEST(PageList, PagesOfTheRunAndTheirFieldsWhileTheFieldConditionHolds) {
    Document sample(sampledescription::text());
    PageList pages, uninstall;
    ASSERT_EQ(pages.readDialogs(sample.xml(), 0, nullptr), 0);
    ASSERT_EQ(pages.readFields(sample.xml(), 0, nullptr), 0);
    ASSERT_EQ(pages.dialogCount(), 4);
    EXPECT_STREQ(pages.dialog(2).name, "CopyProgress");
    EXPECT_EQ(pages.dialog(2).special, 1);
    EXPECT_STREQ(pages.dialog(1).condition, "[MODE]!=2");
    sample.variables.set("MODE", "1");
    Lines described;
    for (int i = 0; i < pages.fieldCount(); ++i) {
        FieldInfo field = pages.field(i, sample.variables);
        described.push_back(std::to_string(field.type) + " " + field.variable + " " +
                            std::to_string(field.page) + " " + std::to_string(field.x) + " " +
                            field.content);
    }
    EXPECT_EQ(described,
              (Lines{"30 INSTALLDIR 1 10 ", "31 DOCS 1 10 ", "32 MODE 1 -1 Typical;Custom"}));
    sample.variables.set("MODE", "2");
    EXPECT_EQ(pages.field(1, sample.variables).page, -1);
    EXPECT_STREQ(pages.field(1, sample.variables).variable, "");
    ASSERT_EQ(uninstall.readDialogs(sample.xml(), 1, nullptr), 0);
    EXPECT_EQ(uninstall.readFields(sample.xml(), 1, nullptr), 0);
    EXPECT_EQ(uninstall.dialogCount(), 3);
    EXPECT_EQ(uninstall.fieldCount(), 0);
    EXPECT_EQ(PageList().readDialogs(Document("<R></R>").xml(), 0, nullptr), -1);
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
    EXPECT_EQ(files.fileCount() + files.fileSetCount() + pages.dialogCount() + pages.fieldCount(),
              4);
    EXPECT_EQ(log.lines(),
              (Lines{"Skipping file \"c.txt\": a name, path or condition is too long",
                     "Skipping file \"a.txt\": a name, path or condition is too long",
                     "Skipping file set \"T\": its name or condition is too long",
                     "Skipping page \"Q\": its name or condition is too long",
                     "Skipping field \"Folder\": its variable or condition is too long"}));
}

// Values come in document order; one that cannot be had whole leaves its variable as it was.
TEST(DefaultValues, LiteralsWithDollarReferencesAndOverLongValuesKeepThePreviousOne) {
    const std::string longName(300, 'N'), longValue = "C:\\" + std::string(1100, 'f');
    const char* rows[][3] = {{"LATE", "$DEFINEDLATER", "<undefined>"},
                             {"STDROOT", "C:\\Products", "C:\\Products"},
                             {"BIN", "$STDROOT\\bin", "C:\\Products\\bin"},
                             {"A", "a", "a"},
                             {"B", "b", "b"},
                             {"AB", "$A$B[x]", "ab[x]"},
                             {"DOT", "$A.txt", "a.txt"},
                             {"BLANK", "$ x", "<undefined>"},
                             {"EMPTY", "", ""},
                             {"DEFINEDLATER", "1", "1"},
                             {"DIR", "C:\\short", "C:\\short"},
                             {"DIR", longValue.c_str(), "C:\\short"},
                             {longName.c_str(), "1", "<undefined>"}};
    std::string values = "<Value Name=\"ODD\" DataType=\"text\">1</Value><Value DataType=\"value\">"
                         "1</Value><Value Name=\"REG\" DataType=\"registry\" "
                         "RegPlace=\"HKEY_USERS\" RegKey=\"x\"></Value>";
    for (const auto& row : rows)
        values +=
            std::string("<value Name=\"") + row[0] + "\" DataType=\"VALUE\">" + row[1] + "</value>";
    Document document(defaults("<Group>" + values + "</Group>"));
    MemoryLog log;
    ASSERT_EQ(DefaultValues(document.variables, &log).apply(document.xml()), 0);
    for (const auto& row : rows)
        EXPECT_EQ(valueOf(document.variables, row[0]), row[2]) << row[0];
    EXPECT_EQ(document.variables.count(), 9) << "ODD and REG stay undefined";
    EXPECT_EQ(log.lines(), Lines{"Skipping default value of \"" + longName +
                                 "\": the name or value is too long"});
    EXPECT_EQ(DefaultValues(document.variables, nullptr).apply(Document("<R/>").xml()), -1);
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
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(values.initialize(document.xml(), (folder / "missing.xml").c_str(), &ui), -1);
    EXPECT_EQ(ui.questions, Lines{std::to_string(InstallerUI::kAskNotice) +
                                  ":Configuration file not found. Installation cannot continue."});
}

TEST(Installer, LoadingReadsEachPartInTurnAndStopsAtTheFirstMissingOne) {
    TempFolder folder;
    writeAll(folder / "saved.xml", sampledescription::text());
    Lines steps = sampledescription::loaderSteps();
    steps.insert(steps.begin() + 1, "Error decompressing installation file");
    steps.insert(steps.end(),
                 {"Ending installation UI", "There were errors during the installation",
                  "Reading installation file name from action log",
                  "Could not obtain installation file from action log", "Reading installation file",
                  "Error reading installation file", "Cannot continue due to error(s)"});
    // The steps a load writes, by their index in `steps`.
    const std::vector<int> installed = {0, 2, 3, 4, 5, 6, 7, 8, 9},
                           uninstalled = {11, 13, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Row {
        std::string file; // the package's description ("": none), or an uninstall's action log
        int uninstall, runResult, expected, dialogs;
        std::vector<int> steps;
    } rows[] = {{sampledescription::text(), 0, 0, 0, 4, installed},
                {defaults(""), 0, 3, 3, 0, {0, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
                {"<R><Dialogs></Dialogs></R>", 0, 0, -1, 0, {0, 2, 3}},
                {"<R><ProductDesc></ProductDesc></R>", 0, 0, -1, 0, {0, 2, 3, 4, 5}},
                {"<R><ProductDesc></ProductDesc><Dialogs></Dialogs></R>",
                 0,
                 0,
                 -1,
                 0,
                 {0, 2, 3, 4, 5, 6, 7}},
                {"", 0, 0, -1, 0, {0, 1, 15}},
                // The uninstall ignores the configuration file: it has the values it recorded.
                {folder / "saved.xml" + "  \r\nNUMVARS\t0\r\n", 1, 0, 0, 3, uninstalled},
                {folder / "nothere.xml\r\n", 1, 0, -1, 0, {11, 13, 14, 15}},
                {"", 1, 0, -1, 0, {11, 12}}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file.substr(0, 80));
        writeAll(folder / "input", row.uninstall ? row.file
                                   : row.file.empty()
                                       ? testpayload::build({{"other", "x"}})
                                       : testpayload::build({{"install.xml", row.file}}));
        RecordingSystem system;
        Installer installer(system);
        RecordingUI ui;
        ui.runResult = row.runResult;
        MemoryLog log;
        ASSERT_EQ(installer.openPayload((folder / "input").c_str(), 0, row.uninstall), 0);
        std::string config = row.uninstall ? folder / "missing.xml" : "";
        EXPECT_EQ(installer.loadDescription(&ui, &log, config.c_str()), row.expected);
        Lines expected;
        for (int step : row.steps)
            expected.push_back(steps[step]);
        EXPECT_EQ(log.lines(), expected);
        EXPECT_EQ(ui.runs, row.expected == -1 ? 0 : 1);
        EXPECT_EQ(installer.wizard().dialogCount(), row.dialogs);
    }
}
