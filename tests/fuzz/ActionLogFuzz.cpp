// An arbitrary action log read back (ActionLogReader::read) and then undone by the uninstall's
// walk (UninstallRun::perform) with RecordingSystem, so that environment, INI, shortcut and
// registration changes are only written down.
//
// The walk deletes the files and folders the log names and restores files from the backup file
// it names. It must never reach outside this target's scratch folder, which the inputs name
// /tmp/kestrel-fuzz-scratch/ActionLog/ (see FuzzScratch.h) and which is filled afresh for every
// input with a small installation (its undo files, a replaced file and its backup, created files).
// An input is skipped when its backup path, a FILE record's path, a DIR record's folder (or a
// level count that climbs above it), or an undo file the description names with the log's
// variables lies elsewhere or holds "..".
//
// What must hold: a log that reads back whole reads back the same once written out again (and
// then counts as complete); an uninstall over a log without its closing record never ends as
// complete and says why.
#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/VariableStore.h"
#include "engine/ActionLogReader.h"
#include "engine/BackupFile.h"
#include "engine/UninstallRun.h"
#include "package/FileCheck.h"
#include "package/Log.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"

#include <map>

namespace {
using Kind = ActionLogReader::Kind;
const char kDescription[] = R"(<VarnexGroupInstallation>
  <ProductDesc><Fullname>Fuzz Product</Fullname></ProductDesc>
  <Installation>
    <Uninstall>
      <InstallLogFile>[INSTALLDIR]/uninst/install.log</InstallLogFile>
      <InstallBackupFile>[INSTALLDIR]/uninst/backup.bin</InstallBackupFile>
      <UninstallCmd>[INSTALLDIR]/uninst/uninstall.exe</UninstallCmd>
      <UninstallXmlFile>[INSTALLDIR]/uninst/install.xml</UninstallXmlFile>
    </Uninstall>
    <DefValues>
      <Value Name="INSTALLDIR" DataType="value">/tmp/kestrel-fuzz-scratch/ActionLog/app</Value>
      <Value Name="DOCS" DataType="value">1</Value>
    </DefValues>
    <PreUninstall>
      <RunProgram Arguments="/stop [DOCS]">[INSTALLDIR]/bin/tool.exe</RunProgram>
      <OpenDocument Condition="[DOCS]==1">[INSTALLDIR]/docs/readme.txt</OpenDocument>
    </PreUninstall>
  </Installation>
</VarnexGroupInstallation>
)";

const std::string& scratch() {
    static const std::string folder = fuzzscratch::prepare("ActionLog");
    return folder;
}

// The installation the logs undo: every undo file, one replaced file with its backup entry (and
// one whose replaced file is gone), created files and folders.
void fillScratch() {
    static std::string backup;
    const std::string app = scratch() + "app/";
    fuzzscratch::empty(scratch());
    for (const char* folder : {"bin", "uninst", "docs/samples"})
        std::filesystem::create_directories(app + folder);
    for (const char* file : {"bin/tool.exe", "docs/readme.txt", "docs/samples/basic.txt",
                             "uninst/install.xml", "uninst/install.log", "uninst/uninstall.exe"})
        filebytes::writeAll(app + file, file);
    if (backup.empty()) {
        filebytes::writeAll(app + "bin/settings.cfg", "old settings\n");
        filebytes::writeAll(app + "bin/gone.cfg", "old gone\n");
        BackupFile writer;
        writer.openForWrite((app + "uninst/backup.bin").c_str());
        if (!writer.addFile((app + "bin/settings.cfg").c_str(), FileCheck::of("new\n", 4))
                 .empty() ||
            !writer.addFile((app + "bin/gone.cfg").c_str(), 0).empty())
            std::abort();
        writer.close();
        backup = filebytes::readAll(app + "uninst/backup.bin");
        std::filesystem::remove(app + "bin/gone.cfg");
    }
    filebytes::writeAll(app + "bin/settings.cfg", "new\n");
    filebytes::writeAll(app + "uninst/backup.bin", backup);
}

// The uninstall's description and its variables as the loader leaves them: the defaults.
struct Undoing {
    Undoing() : description(variables) {
        static const std::string text = fuzzscratch::rewritten(kDescription);
        if (description.parse(text.c_str(), text.size()) != 0 ||
            DefaultValues(variables, nullptr).apply(description.document()) != 0)
            std::abort();
    }
    VariableStore variables;
    Description description;
};

// Whether every path the walk may delete, remove or write stays inside the scratch folder.
bool staysInside(const ActionLogReader::Contents& log) {
    const std::string& folder = scratch();
    if (!log.backupPath.empty() && !fuzzscratch::inside(log.backupPath, folder))
        return false;
    for (const auto& record : log.records) {
        const char* fields = record.fields.c_str();
        char* end = nullptr;
        long levels = std::strtol(fields, &end, 10); // DIR: levels, a TAB, the folder
        size_t tab = record.fields.find('\t');
        if ((record.kind == Kind::kDir && end != fields && *end == '\t' &&
             (!fuzzscratch::inside(end + 1, folder) ||
              levels > fuzzscratch::levelsBelow(end + 1, folder))) ||
            (record.kind == Kind::kFile && tab != std::string::npos &&
             !fuzzscratch::inside(record.fields.substr(tab + 1), folder)))
            return false;
    }
    Undoing undoing;
    for (const auto& variable : log.variables)
        undoing.variables.set(variable.name.c_str(), variable.value.c_str());
    char path[512];
    for (auto getter : {&Description::getInstallLogFile, &Description::getUninstallCmd,
                        &Description::getInstallBackupFile, &Description::getUninstallXmlFile}) {
        if ((undoing.description.*getter)(path, sizeof path) == 0 &&
            !fuzzscratch::inside(path, folder))
            return false;
    }
    return true;
}

ActionLogReader::Contents read(std::string& text) {
    std::FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr)
        std::abort();
    ActionLogReader::Contents log = ActionLogReader::read(stream);
    std::fclose(stream);
    return log;
}

// The log as a writer would write what was read, with its closing record; the reader hands out
// only records of a known kind.
std::string writtenOut(const ActionLogReader::Contents& log) {
    static const std::map<Kind, const char*> kWords = {{Kind::kDir, "DIR"},
                                                       {Kind::kFile, "FILE"},
                                                       {Kind::kEnv, "ENV"},
                                                       {Kind::kIni, "INI"},
                                                       {Kind::kShortcut, "SHORTCUT"}};
    std::string text = log.descriptionPath + "\r\n" + log.backupPath + "\r\nNUMVARS\t" +
                       std::to_string(log.variables.size()) + "\r\n";
    for (const auto& variable : log.variables)
        text += "VAR\t" + variable.name + "\t" + variable.value + "\r\n";
    for (const auto& record : log.records)
        text += std::string(kWords.at(record.kind)) + "\t" + record.fields + "\r\n";
    return text + "END\t" + std::to_string(log.records.size()) + "\r\n";
}

void checkRoundTrip(const ActionLogReader::Contents& log) {
    if (log.closed && (!log.headerWhole || log.damagedLines != 0))
        __builtin_trap();
    if (!log.headerWhole)
        return;
    std::string text = writtenOut(log);
    if (writtenOut(read(text)) != text || !read(text).closed)
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text =
        fuzzscratch::rewritten(std::string(reinterpret_cast<const char*>(data), size));
    ActionLogReader::Contents log = read(text);
    checkRoundTrip(log);
    if (!staysInside(log))
        return 0;
    fillScratch();
    Undoing undoing;
    RecordingSystem system;
    RecordingUI ui;
    Log stepLog;
    std::FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr)
        std::abort();
    UninstallRun::Target target;
    target.registrationName = "Fuzz Product";
    int result = UninstallRun(undoing.description, undoing.variables, system, ui, &stepLog)
                     .perform(stream, target);
    std::fclose(stream);
    bool saidIncomplete =
        std::any_of(ui.lines.begin(), ui.lines.end(), [](const std::string& line) {
            return line.rfind("The action log is incomplete: ", 0) == 0;
        });
    if (!log.closed && (result == 0 || !saidIncomplete))
        __builtin_trap();
    return 0;
}
