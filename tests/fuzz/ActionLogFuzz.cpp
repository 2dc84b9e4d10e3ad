// An arbitrary action log undone over a small installation in the scratch folder: a log without
// its closing record never ends as a complete uninstall, and says why.
#include "config/DefaultValues.h"
#include "config/Description.h"
#include "config/VariableStore.h"
#include "engine/ActionLogReader.h"
#include "engine/BackupFile.h"
#include "engine/UninstallRun.h"
#include "package/FileCheck.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/FileBytes.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"

namespace {
using Kind = ActionLogReader::Kind;
const char kDescription[] = R"(<R><ProductDesc><Fullname>Fuzz Product</Fullname></ProductDesc>
  <Installation><Uninstall>
      <InstallLogFile>[INSTALLDIR]/uninst/install.log</InstallLogFile>
      <InstallBackupFile>[INSTALLDIR]/uninst/backup.bin</InstallBackupFile>
      <UninstallCmd>[INSTALLDIR]/uninst/uninstall.exe</UninstallCmd>
      <UninstallXmlFile>[INSTALLDIR]/uninst/install.xml</UninstallXmlFile></Uninstall>
    <DefValues><Value Name="INSTALLDIR" DataType="value">/tmp/kestrel-fuzz-scratch/ActionLog/app</Value></DefValues>
    <PreUninstall><RunProgram Arguments="/stop">[INSTALLDIR]/bin/tool.exe</RunProgram></PreUninstall>
  </Installation></R>)";

const std::string& scratch() {
    static const std::string folder = fuzzscratch::prepare("ActionLog");
    return folder;
}

// The undo files, a replaced file with its backup entry (one more whose file is gone), new files.
void fillScratch() {
    static std::string backup;
    const std::string app = scratch() + "app/";
    fuzzscratch::empty(scratch());
    for (const char* folder : {"bin", "uninst", "docs/samples"})
        std::filesystem::create_directories(app + folder);
    for (const char* file :
         {"bin/tool.exe", "docs/readme.txt", "docs/samples/basic.txt", "uninst/install.xml",
          "uninst/install.log", "uninst/uninstall.exe", "bin/settings.cfg"})
        filebytes::writeAll(app + file, file);
    if (backup.empty()) {
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

struct Undoing {
    Undoing() : description(variables) {
        static const std::string text = fuzzscratch::rewritten(kDescription);
        description.parse(text.c_str(), text.size());
        if (!DefaultValues(variables, nullptr).apply(description.document()))
            std::abort();
    }
    VariableStore variables;
    Description description;
};

bool staysInside(const ActionLogReader::Contents& log) {
    const std::string& folder = scratch();
    if (!log.backupPath.empty() && !fuzzscratch::inside(log.backupPath, folder))
        return false;
    for (const auto& record : log.records) {
        char* end = nullptr;
        long levels = std::strtol(record.fields.c_str(), &end, 10); // DIR: levels TAB folder
        size_t tab = record.fields.find('\t');
        if ((record.kind == Kind::kDir && end != record.fields.c_str() && *end == '\t' &&
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
                        &Description::getInstallBackupFile, &Description::getUninstallXmlFile})
        if ((undoing.description.*getter)(path, sizeof path) && !fuzzscratch::inside(path, folder))
            return false;
    return true;
}
std::FILE* opened(std::string& text) {
    std::FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr)
        std::abort();
    return stream;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text =
        fuzzscratch::rewritten(std::string(reinterpret_cast<const char*>(data), size));
    std::FILE* stream = opened(text);
    ActionLogReader::Contents log = ActionLogReader::read(stream);
    std::fclose(stream);
    if (log.closed && (!log.headerWhole || log.damagedLines != 0))
        __builtin_trap();
    if (!staysInside(log))
        return 0;
    fillScratch();
    Undoing undoing;
    RecordingSystem system;
    RecordingUI ui;
    stream = opened(text);
    UninstallRun::Target target;
    target.registrationName = "Fuzz Product";
    bool undone = UninstallRun(undoing.description, undoing.variables, system, ui, nullptr)
                      .perform(stream, target);
    std::fclose(stream);
    bool saidIncomplete = std::any_of(ui.lines.begin(), ui.lines.end(), [](const std::string& l) {
        return l.rfind("The action log is incomplete: ", 0) == 0;
    });
    if (!log.closed && (undone || !saidIncomplete))
        __builtin_trap();
    return 0;
}
