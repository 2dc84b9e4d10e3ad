#include "engine/InterruptedRun.h"

#include "engine/RunReport.h"
#include "engine/UninstallRun.h"
#include "package/BoundedText.h"
#include "package/Log.h"
#include "package/Platform.h"
#include "package/RunReporter.h"
#include "system/SystemChanges.h"

#include <cstdio>

namespace {
constexpr const char* kNotice = "An earlier installation of %s did not complete. Its changes are "
                                "undone now, before anything else.";

bool isFile(const std::string& path) {
    return !path.empty() && platform::pathKind(path.c_str()) == platform::PathKind::kFile;
}

// The temporary file while it is there; once the run had moved it into place, the final one.
std::string whereNow(const std::string& temporary, const std::string& final) {
    return isFile(temporary) ? temporary : (isFile(final) ? final : std::string());
}
} // namespace

InterruptedRun::InterruptedRun(const Description& description, VariableStore& variables,
                               SystemChanges& system, RunReporter& ui, Log* stepLog)
    : description_(description), variables_(variables), system_(system), ui_(ui),
      stepLog_(stepLog) {}

InterruptedRun::Outcome InterruptedRun::recover(const std::string& productName) {
    std::optional<RunRecord> record = system_.findRunRecord(productName.c_str());
    if (!record)
        return Outcome::kNone;
    // Stopped after it had registered itself: the run was complete, only its record was left.
    if (system_.isPreviousVersionInstalled(productName.c_str()) && isFile(record->finalActionLog) &&
        !isFile(record->actionLog))
        return system_.removeRunRecord(productName.c_str()) ? Outcome::kNone : Outcome::kFailed;
    char notice[1024];
    boundedFormat(notice, sizeof notice, kNotice, productName.c_str());
    ui_.confirm(notice, RunReporter::Question::kNotice);
    logMessage(stepLog_, "Undoing the interrupted run of %s from %s", productName.c_str(),
               record->actionLog.c_str());
    std::string actionLog = whereNow(record->actionLog, record->finalActionLog);
    std::string backup = whereNow(record->backup, record->finalBackup);
    bool undone = true;
    // Without its log the run had changed nothing yet: the log is made before the first change.
    if (!actionLog.empty()) {
        // Read whole and closed first: the undo may have to delete the log itself, where a file
        // set placed it.
        std::FILE* stream = std::fopen(actionLog.c_str(), "rb");
        ActionLogReader::Contents log = ActionLogReader::read(stream);
        if (stream != nullptr)
            std::fclose(stream);
        UninstallRun uninstall(description_, variables_, system_, ui_, stepLog_);
        UninstallRun::Target target;
        target.rollbackBackup = backup.c_str();
        target.interrupted = true;
        undone = stream != nullptr && uninstall.perform(log, target) && uninstall.filesLeft() == 0;
    }
    if (!undone) {
        reportFormatted(ui_,
                        "The interrupted installation could not be undone completely; its action "
                        "log is kept at %s.",
                        actionLog.c_str());
        return Outcome::kFailed;
    }
    for (const std::string* file : {&actionLog, &backup, &record->backup}) {
        if (isFile(*file))
            platform::removeFile(file->c_str());
    }
    if (!system_.removeRunRecord(productName.c_str())) {
        reportFormatted(ui_, "FAILED to remove the record of the interrupted installation of %s",
                        productName.c_str());
        return Outcome::kFailed;
    }
    return Outcome::kUndone;
}
