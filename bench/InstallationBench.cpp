// Times the installation run on the host file layer: N files of 8 KiB, spread over folders of
// 100, one in ten already present (so backed up and recorded OVER). The time per file should
// not grow with N: the file list, the action log and the backup file are all written in one
// pass.
#include "config/Description.h"
#include "config/FileList.h"
#include "config/VariableStore.h"
#include "engine/InstallationRun.h"
#include "package/Payload.h"
#include "tests/support/RecordingSystem.h"
#include "tests/support/RecordingUI.h"
#include "tests/support/TestPayload.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
class QuietUI : public RecordingUI {
  public:
    bool reportLine(const char*) override {
        ++lineCount;
        return true;
    }
    int lineCount = 0;
};

std::string content(int index) {
    std::string text(8192, '.');
    std::snprintf(&text[0], 32, "file %08d", index);
    text[13] = '\n';
    return text;
}

// Seconds for one run of `count` files, or a negative value when it did not complete.
double installFiles(int count) {
    char name[] = "/tmp/kestrel-bench-XXXXXX";
    if (mkdtemp(name) == nullptr)
        return -1;
    std::string root = name;
    std::string description =
        "<VarnexGroupInstallation><ProductDesc><Fullname>Bench</Fullname></ProductDesc>"
        "<Dialogs><CopyProgress></CopyProgress></Dialogs><Installation><Uninstall>"
        "<InstallLogFile>[APPDIR]\\install.log</InstallLogFile>"
        "<InstallBackupFile>[APPDIR]\\backup.bin</InstallBackupFile>"
        "<UninstallXmlFile>[APPDIR]\\install.xml</UninstallXmlFile></Uninstall>"
        "<FileSet Name=\"All\">";
    testpayload::Entries entries;
    for (int i = 0; i < count; ++i) {
        std::string file = "f" + std::to_string(i);
        description += "<FN Dest=\"[APPDIR]\\d" + std::to_string(i / 100) + "\" Alias=\"" + file +
                       "\">" + file + "</FN>";
        entries.push_back({file, content(i)});
    }
    description += "</FileSet></Installation></VarnexGroupInstallation>";
    std::string package = root + "/package.bin";
    testpayload::writeFile(package, testpayload::build(entries));
    entries.clear();
    for (int i = 0; i < count; i += 10) {
        std::string folder = root + "/app/d" + std::to_string(i / 100);
        std::system(("mkdir -p " + folder).c_str());
        testpayload::writeFile(folder + "/f" + std::to_string(i), "previous content");
    }

    VariableStore variables;
    variables.set("APPDIR", (root + "/app").c_str());
    Description parsed(variables);
    parsed.parse(description.c_str(), description.size());
    RecordingSystem system;
    system.tempFolder = root;
    QuietUI ui;
    double seconds = -1;
    Payload payload;
    FileList files;
    if (payload.open(package.c_str(), 0) == 0 && files.read(parsed.document(), payload, nullptr)) {
        auto start = std::chrono::steady_clock::now();
        bool completed =
            InstallationRun(parsed, files, variables, payload, system, ui, nullptr).perform();
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!completed || ui.lineCount != count + count / 10)
            seconds = -1;
    }
    payload.close();
    std::system(("rm -rf " + root).c_str());
    return seconds;
}
} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        int count = std::atoi(argv[i]);
        double best = 1e9;
        for (int round = 0; round < 3; ++round) {
            double seconds = installFiles(count);
            if (seconds < 0) {
                std::fprintf(stderr, "the run with %d files did not complete\n", count);
                return 1;
            }
            best = seconds < best ? seconds : best;
        }
        std::printf("%6d files of 8 KiB: %.3f s, %.1f us per file\n", count, best,
                    best / count * 1e6);
    }
    return 0;
}
