// An arbitrary action log read back (ActionLogReader::read) and then undone by the uninstall's
// walk (UninstallRun::perform) with RecordingSystem, so that environment, INI, shortcut and
// registration changes are only written down, and a recording UI handler.
//
// The walk deletes the files and removes the folders the log names and restores files from the
// backup file it names. It must never reach outside this target's scratch folder, which the
// inputs name /tmp/kestrel-fuzz-scratch/ActionLog/ (each process has its own, see FuzzScratch.h)
// and which is filled afresh for every input with a small installation (its undo files, a
// replaced file and its backup, created files). An input is therefore skipped (return 0) when its
// backup path, the path of a FILE record, the folder of a DIR record (or a level count that would
// climb above the scratch folder), or one of the undo files that the description names with the
// log's variables lies elsewhere or holds "..". The seed corpus names paths in that folder.
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
#include "system/RecordingSystem.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingUI.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
const char kDescription[] = R"(<VarnexGroupInstallation>
  <ProductDesc><Fullname>Fuzz Product</Fullname></ProductDesc>
  <UninstallDialogs><Welcome></Welcome><CopyProgress Special="1"></CopyProgress></UninstallDialogs>
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

struct Scratch {
    std::string folder;
    std::string backupBytes;
};

// The installation the logs undo: every undo file, one replaced file with its backup entry (and
// one whose replaced file is gone), created files and folders.
const Scratch& scratch() {
    static const Scratch made = [] {
        Scratch s;
        s.folder = fuzzscratch::prepare("ActionLog");
        fuzzscratch::empty(s.folder);
        std::string app = s.folder + "app/";
        std::filesystem::create_directories(app + "bin");
        std::filesystem::create_directories(app + "uninst");
        filebytes::writeAll(app + "bin/settings.cfg", "old settings\n");
        filebytes::writeAll(app + "bin/gone.cfg", "old gone\n");
        BackupFile backup;
        backup.openForWrite((app + "uninst/backup.bin").c_str());
        const std::string installed = "new settings\n";
        if (!backup
                 .addFile((app + "bin/settings.cfg").c_str(),
                          FileCheck::of(installed.data(), installed.size()))
                 .empty() ||
            !backup.addFile((app + "bin/gone.cfg").c_str(), 0).empty())
            std::abort();
        backup.close();
        s.backupBytes = filebytes::readAll(app + "uninst/backup.bin");
        return s;
    }();
    return made;
}

void fillScratch(const Scratch& s) {
    fuzzscratch::empty(s.folder);
    std::string app = s.folder + "app/";
    for (const char* folder : {"bin", "uninst", "docs/samples"})
        std::filesystem::create_directories(app + folder);
    const struct {
        const char* path;
        const char* bytes;
    } files[] = {
        {"bin/settings.cfg", "new settings\n"}, {"bin/tool.exe", "MZ"},
        {"docs/readme.txt", "readme\n"},        {"docs/samples/basic.txt", "basic\n"},
        {"uninst/install.xml", "<x/>"},         {"uninst/install.log", "log\n"},
        {"uninst/uninstall.exe", "MZ"},
    };
    for (const auto& file : files)
        filebytes::writeAll(app + file.path, file.bytes);
    filebytes::writeAll(app + "uninst/backup.bin", s.backupBytes);
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
bool staysInside(const ActionLogReader::Contents& log, const std::string& folder) {
    using Kind = ActionLogReader::Kind;
    if (!log.backupPath.empty() && !fuzzscratch::inside(log.backupPath, folder))
        return false;
    for (const auto& record : log.records) {
        const char* fields = record.fields.c_str();
        if (record.kind == Kind::kDir) {
            // Read as the uninstall reads it: levels, a TAB, the folder.
            char* end = nullptr;
            long levels = std::strtol(fields, &end, 10);
            if (end != fields && *end == '\t' &&
                (!fuzzscratch::inside(end + 1, folder) ||
                 levels > fuzzscratch::levelsBelow(end + 1, folder)))
                return false;
        } else if (record.kind == Kind::kFile) {
            size_t tab = record.fields.find('\t');
            if (tab != std::string::npos &&
                !fuzzscratch::inside(record.fields.substr(tab + 1), folder))
                return false;
        }
    }
    // The undo files the description names, expanded as the uninstall will expand them.
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

const char* kindWord(ActionLogReader::Kind kind) {
    using Kind = ActionLogReader::Kind;
    switch (kind) {
    case Kind::kDir:
        return "DIR";
    case Kind::kFile:
        return "FILE";
    case Kind::kReg:
        return "REG";
    case Kind::kEnv:
        return "ENV";
    case Kind::kIni:
        return "INI";
    case Kind::kShortcut:
        return "SHORTCUT";
    default:
        __builtin_trap(); // the reader hands out only records of a known kind
    }
}

// The log as a writer would write what was read, with its closing record.
std::string writtenOut(const ActionLogReader::Contents& log) {
    std::string text = log.descriptionPath + "\r\n" + log.backupPath + "\r\n";
    text += "NUMVARS\t" + std::to_string(log.variables.size()) + "\r\n";
    for (const auto& variable : log.variables)
        text += "VAR\t" + variable.name + "\t" + variable.value + "\r\n";
    for (const auto& record : log.records)
        text += std::string(kindWord(record.kind)) + "\t" + record.fields + "\r\n";
    return text + "END\t" + std::to_string(log.records.size()) + "\r\n";
}

ActionLogReader::Contents readText(std::string& text) {
    std::FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr)
        std::abort();
    ActionLogReader::Contents log = ActionLogReader::read(stream);
    std::fclose(stream);
    return log;
}

bool sameContents(const ActionLogReader::Contents& a, const ActionLogReader::Contents& b) {
    if (a.descriptionPath != b.descriptionPath || a.backupPath != b.backupPath ||
        a.variables.size() != b.variables.size() || a.records.size() != b.records.size())
        return false;
    for (size_t i = 0; i < a.variables.size(); ++i) {
        if (a.variables[i].name != b.variables[i].name ||
            a.variables[i].value != b.variables[i].value)
            return false;
    }
    for (size_t i = 0; i < a.records.size(); ++i) {
        if (a.records[i].kind != b.records[i].kind || a.records[i].fields != b.records[i].fields)
            return false;
    }
    return true;
}

void checkRoundTrip(const ActionLogReader::Contents& log) {
    if (log.closed && (!log.headerWhole || log.damagedLines != 0))
        __builtin_trap();
    if (!log.headerWhole)
        return;
    std::string text = writtenOut(log);
    ActionLogReader::Contents again = readText(text);
    if (!sameContents(log, again) || !again.closed)
        __builtin_trap();
}

bool saidIncomplete(const RecordingUI& ui) {
    for (const std::string& line : ui.lines) {
        if (line.compare(0, 30, "The action log is incomplete: ") == 0)
            return true;
    }
    return false;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Scratch& s = scratch();
    std::string text =
        fuzzscratch::rewritten(std::string(reinterpret_cast<const char*>(data), size));
    ActionLogReader::Contents log = readText(text);
    checkRoundTrip(log);
    if (!staysInside(log, s.folder))
        return 0;
    fillScratch(s);

    Undoing undoing;
    RecordingSystem system;
    RecordingUI ui;
    Log stepLog;
    UninstallRun run(undoing.description, undoing.variables, system, ui, &stepLog);
    std::FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr)
        std::abort();
    UninstallRun::Target target;
    target.registrationName = "Fuzz Product";
    int result = run.perform(stream, target);
    std::fclose(stream);
    if (!log.closed && (result == 0 || !saidIncomplete(ui)))
        __builtin_trap();
    return 0;
}
