#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/FileList.h"
#include "config/PageList.h"
#include "config/VariableStore.h"
#include "package/Log.h"
#include "package/Payload.h"
#include "tests/native/TempFolder.h"
#include "tests/support/RecordingUI.h"
#include "tests/support/TestPayload.h"

#include <gtest/gtest.h>

namespace {
// A debug log without prefixes in a file of its own.
struct MemoryLog : Log {
    MemoryLog() {
        flags = 0;
        open((folder / "debug.log").c_str());
    }
    std::string text() const { return readAll(folder / "debug.log"); }
    TempFolder folder;
};

// A description parsed over its own variables.
struct Document {
    explicit Document(const std::string& text) { description.parse(text.c_str(), text.size()); }
    const XmlDocument& xml() const { return description.document(); }
    std::string value(const char* name) const {
        char value[VariableStore::kValueSize];
        return variables.get(name, value, sizeof value) >= 0 ? value : "<undefined>";
    }
    VariableStore variables;
    Description description{variables};
};
} // namespace

// Sets come in document order with their files last to first; a set without a name is skipped.
TEST(DescriptionLists, FileSetsAndFilesOfTheSample) {
    TempFolder folder;
    writeAll(folder / "package.bin", testpayload::build({{"..binsample.exe", "MZ12345"}}));
    Payload payload;
    ASSERT_EQ(payload.open((folder / "package.bin").c_str(), 0), 0);
    Document sample(R"(<VarnexGroupInstallation><Installation>
    <FileSet Name="Program" Desc="Program files">
      <FN Dest="[INSTALLDIR]" Executable="1">..\bin\sample.exe</FN>
      <FN Dest="[INSTALLDIR]" Alias="AppIcon">..\gui\icon.png</FN>
      <FN Dest="[INSTALLDIR]\uninst" Alias="install.xml">install.xml</FN>
    </FileSet>
    <FileSet Name="Docs" Desc="Documentation" Condition="[DOCS]==1">
      <FN Dest="[INSTALLDIR]\doc" ExpandVarsInFile="0" Condition="[MODE]!=2">../doc/readme.txt</FN>
    </FileSet>
    <FileSet Desc="Nameless set is skipped"><FN>ignored.txt</FN></FileSet>
  </Installation></VarnexGroupInstallation>)");
    FileList files;
    ASSERT_TRUE(files.read(sample.xml(), payload, nullptr));
    EXPECT_STREQ(files.fileSet(files.fileSetCount() - 1).condition, "[DOCS]==1");
    Lines described;
    for (int i = 0; i < files.fileCount(); ++i) {
        const FileInfo& f = files.file(i);
        described.push_back(std::to_string(f.fileSet) + " " + f.alias + " " + f.fileName + " " +
                            f.destination + " " + f.condition + " " +
                            std::to_string(f.unpackedSize) + (f.executable ? " run" : "") +
                            (f.expandVariables ? " expand" : ""));
    }
    EXPECT_EQ(described,
              (Lines{"0 install.xml install.xml [INSTALLDIR]\\uninst  0",
                     "0 AppIcon icon.png [INSTALLDIR]  0",
                     "0 ..binsample.exe sample.exe [INSTALLDIR]  7 run",
                     "1 ..docreadme.txt readme.txt [INSTALLDIR]\\doc [MODE]!=2 0 expand"}));
}

// A text that does not fit its record cannot be used cut (it would install elsewhere or decide
// differently) nor left out (the run would report success without it): the read fails and says
// which. A condition is kept whole up to what the condition evaluator takes.
TEST(DescriptionLists, OverLongTextsFailTheReadNamingTheElementAndLongConditionsAreKept) {
    const std::string tooLong(600, 'c');
    const std::string kept = "[A]==1" + std::string(280, ' ');
    const struct {
        std::string body, problem;
    } rows[] = {
        {"<FileSet Name=\"S\"><FN Dest=\"" + tooLong + "\">a.txt</FN></FileSet>",
         "the file \"a.txt\" has a name, Alias, Dest or Condition that is too long"},
        {"<FileSet Name=\"T\" Condition=\"" + tooLong + "\"><FN>d.txt</FN></FileSet>",
         "the name or the Condition of FileSet \"T\" is too long (at most 99 and 511"},
        {"<Dialogs><Q Condition=\"" + tooLong + "\"></Q></Dialogs>",
         "the name or the Condition of the page \"Q\" is too long"},
        {"<Dialogs><P><Field Label=\"Folder\">" + std::string(120, 'V') + "</Field></P></Dialogs>",
         "the variable or the Condition of the field \"Folder\" is too long"},
        {"<Dialogs><P Condition=\"" + kept + "\"></P></Dialogs><FileSet Name=\"K\" Condition=\"" +
             kept + "\"><FN>k.txt</FN></FileSet>",
         ""},
    };
    for (const auto& row : rows) {
        Document document("<R>" + row.body + "</R>");
        MemoryLog log;
        Payload none;
        FileList files;
        PageList pages;
        bool read = files.read(document.xml(), none, &log);
        if (read) {
            // A row may hold no pages: what the pages' read refused shows in problem().
            pages.readDialogs(document.xml(), 0, &log);
            read = pages.readFields(document.xml(), 0, &log);
        }
        std::string problem = std::string(files.problem()) + pages.problem();
        EXPECT_EQ(problem.rfind(row.problem, 0), 0u) << problem;
        EXPECT_EQ(read && pages.problem()[0] == '\0', row.problem.empty()) << row.problem;
        EXPECT_EQ(log.text().empty(), row.problem.empty()) << row.problem;
        if (row.problem.empty()) {
            EXPECT_EQ(std::string(files.fileSet(0).condition), kept);
            EXPECT_EQ(std::string(pages.dialog(0).condition), kept);
        }
    }
}

// Values come in document order; one that cannot be had whole leaves its variable as it was.
// A configuration file's values come after the description's; one that is missing stops.
TEST(DefaultValues, LiteralsWithReferencesOverLongValuesKeepThePreviousOneConfigFileOverrides) {
    const std::string longName(300, 'N'), longValue = "C:\\" + std::string(1100, 'f');
    const char* rows[][3] = {{"LATE", "$DEFINEDLATER", "<undefined>"},
                             {"ROOT", "C:\\Products", "C:\\Products"},
                             {"BIN", "$ROOT\\bin", "C:\\Products\\bin"},
                             {"A", "a", "a"},
                             {"AA", "$A$A[x]", "aa[x]"},
                             {"DOT", "$A.txt", "a.txt"},
                             {"BLANK", "$ x", "<undefined>"},
                             {"EMPTY", "", ""},
                             {"DEFINEDLATER", "1", "1"},
                             {"DIR", "C:\\short", "C:\\short"},
                             {"DIR", longValue.c_str(), "C:\\short"},
                             // A line break would forge action-log records behind the value.
                             {"NOTE", "hello\r\nDIR\t1\tC:\\windows\\", "<undefined>"},
                             {longName.c_str(), "1", "<undefined>"}};
    std::string values = "<Value Name=\"ODD\" DataType=\"text\">1</Value><Value DataType=\"value\">"
                         "1</Value><Value Name=\"REG\" DataType=\"registry\" "
                         "RegPlace=\"HKEY_USERS\" RegKey=\"x\"></Value>";
    for (const auto& row : rows)
        values +=
            std::string("<value Name=\"") + row[0] + "\" DataType=\"VALUE\">" + row[1] + "</value>";
    Document document("<R><ProductDesc></ProductDesc><Dialogs></Dialogs><DefValues><Group>" +
                      values + "</Group></DefValues></R>");
    MemoryLog log;
    ASSERT_TRUE(DefaultValues(document.variables, &log).apply(document.xml()));
    for (const auto& row : rows)
        EXPECT_EQ(document.value(row[0]), row[2]) << row[0];
    EXPECT_EQ(document.variables.count(), 8) << "ODD and REG stay undefined";
    const std::string refused = "\": it refers to an undefined variable or is too long\r\n";
    const std::string skipped = "Skipping default value of \"";
    EXPECT_EQ(log.text(),
              skipped + "LATE" + refused + skipped + "BLANK" + refused + skipped + "DIR" + refused +
                  skipped + "NOTE\": the name or value holds a line break (or the name a TAB)\r\n" +
                  skipped + longName + "\": the name or value is too long\r\n");
    EXPECT_FALSE(DefaultValues(document.variables, nullptr).apply(Document("<R/>").xml()));
    TempFolder folder;
    writeAll(folder / "config.xml", "<Settings><DefValues><value name=\"DIR\" datatype=\"VALUE\">"
                                    "$ROOT\\Own</value></DefValues></Settings>");
    RecordingUI ui;
    DefaultValues loader(document.variables, nullptr);
    ASSERT_TRUE(loader.initialize(document.xml(), (folder / "config.xml").c_str(), &ui));
    EXPECT_EQ(document.value("DIR"), "C:\\Products\\Own");
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_FALSE(loader.initialize(document.xml(), (folder / "missing.xml").c_str(), &ui));
    writeAll(folder / "klingon.xml", "<?xml version=\"1.0\" encoding=\"klingon\"?><S></S>");
    EXPECT_FALSE(loader.initialize(document.xml(), (folder / "klingon.xml").c_str(), &ui));
    const std::string notice = "1:The configuration file cannot be used: ";
    EXPECT_EQ(ui.questions, // notices
              (Lines{notice + "it cannot be opened (error 2). Installation cannot continue.",
                     notice + "its XML declaration names the encoding \"klingon\", which the "
                              "installer does not know. Installation cannot continue."}));
}
