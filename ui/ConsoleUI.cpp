#include "ui/ConsoleUI.h"

#include "config/VariableStore.h"
#include "package/BoundedText.h"
#include "package/Platform.h"
#include "ui/Wizard.h"

#include <cstring>
#include <strings.h>

// A stream to a character device (a console, NUL) starts unbuffered, and the runtime then hands
// each character of a write to the system on its own (under Wine, two system calls and a server
// request per character). Fully buffered, each flush of ours is one write. Set before the
// stream's first use: the handler is made before any output.
ConsoleUI::ConsoleUI(std::FILE* input, std::FILE* output) : input_(input), output_(output) {
    std::setvbuf(output_, nullptr, _IOFBF, kBlockSize);
}

void ConsoleUI::put(const char* text) {
    pending_ += text;
    if (pending_.size() >= kBlockSize)
        flushOutput();
}

void ConsoleUI::putLine(const char* text) {
    pending_ += text;
    pending_ += '\n';
    if (pending_.size() >= kBlockSize)
        flushOutput();
}

// Through the same stream as before, so that its text mode still turns each line end into the
// console's.
void ConsoleUI::flushOutput() {
    if (!pending_.empty())
        std::fwrite(pending_.data(), 1, pending_.size(), output_);
    pending_.clear();
    std::fflush(output_);
}

bool ConsoleUI::readLine(char* line) {
    line[0] = '\0';
    if (std::optional<std::string> typed = platform::readConsoleLine(input_, kLineSize))
        return copyText(line, kLineSize, typed->c_str());
    if (std::fgets(line, kLineSize, input_) == nullptr) {
        line[0] = '\0';
        return true;
    }
    size_t length = std::strlen(line);
    bool whole = (length > 0 && line[length - 1] == '\n') || std::feof(input_);
    if (!whole) {
        // The buffer is full: the line is whole when only its line end is left to read.
        int c = std::fgetc(input_);
        if (c == '\r')
            c = std::fgetc(input_);
        whole = c == '\n' || c == EOF;
        while (c != EOF && c != '\n')
            c = std::fgetc(input_);
    }
    while (length > 0 && (line[length - 1] == '\n' || line[length - 1] == '\r'))
        line[--length] = '\0';
    return whole;
}

void ConsoleUI::askFieldValues() {
    for (int i = 0; i < wizard_->fieldCount(); ++i) {
        FieldInfo field = wizard_->getField(i);
        char value[kLineSize];
        std::memset(value, 0, sizeof value);
        wizard_->getVariable(field.variable, value, sizeof value);
        put(field.label);
        put("=");
        putLine(value);
        put("Type new value or <Enter> to keep the default: ");
        flushOutput();
        std::memset(value, 0, sizeof value);
        // A value cut short (a folder, most often) would be a different value: it is refused
        // and the field keeps the one it had.
        bool whole = readLine(value);
        if (value[0] == '\0')
            continue;
        VariableStore::SetResult set = whole ? wizard_->setVariable(field.variable, value)
                                             : VariableStore::SetResult::kTooLong;
        if (set == VariableStore::SetResult::kLineBreak)
            put("The value holds a line break; the previous value is kept.\n");
        else if (set != VariableStore::SetResult::kSet)
            put("The value is too long; the previous value is kept.\n");
    }
}

// The window refuses such a folder on its page; here, where no page is shown, the run stops
// before anything is changed instead of failing while it copies.
bool ConsoleUI::foldersUsable(int page) {
    for (int i = 0; i < wizard_->fieldCount(); ++i) {
        FieldInfo field = wizard_->getField(i);
        if (field.type != FIELD_DIRECTORY || field.page != page)
            continue;
        char folder[VariableStore::kValueSize] = {};
        wizard_->getVariable(field.variable, folder, sizeof folder);
        DestinationCheck check(folderProbe_);
        DestinationCheck::Problem problem =
            check.check(folder, [this, &field](const char* candidate) {
                return wizard_->keepsDestinationWhole(field.variable, candidate);
            });
        if (problem != DestinationCheck::Problem::kNone) {
            char reason[VariableStore::kValueSize + 512];
            check.describe(problem, folder, reason, sizeof reason);
            putLine(reason);
            return false;
        }
    }
    return true;
}

bool ConsoleUI::run() {
    running_ = true;
    put(wizard_ != nullptr && wizard_->isUninstalling() ? "Starting uninstall.\n"
                                                        : "Starting installation.\n");
    if (wizard_ == nullptr) {
        flushOutput();
        return false;
    }
    if (!quiet_)
        askFieldValues();
    wizard_->showDialog(wizard_->currentDialog(), this);
    bool uninstalling = wizard_->isUninstalling();
    if (!wizard_->isCancelled() && !wizard_->isFinished()) {
        do {
            if (!foldersUsable(wizard_->currentDialog()) || !wizard_->nextDialog(this)) {
                put(uninstalling ? "Uninstall cannot continue.\n"
                                 : "Installation cannot continue.\n");
                flushOutput();
                return true;
            }
        } while (!wizard_->isCancelled() && !wizard_->isFinished());
    }
    put(closingLine());
    flushOutput();
    return true;
}

// A run that failed (and was undone) must not read as a completed one, nor an uninstall as an
// installation.
const char* ConsoleUI::closingLine() const {
    bool uninstalling = wizard_->isUninstalling();
    if (wizard_->isCancelled())
        return uninstalling ? "Uninstall was cancelled.\n" : "Installation was cancelled.\n";
    if (wizard_->hasFailed())
        return uninstalling ? "Uninstall failed.\n" : "Installation failed.\n";
    return uninstalling ? "Uninstall completed.\n" : "Installation completed.\n";
}

void ConsoleUI::finish() {
    running_ = false;
    flushOutput();
}

bool ConsoleUI::reportLine(const char* text) {
    putLine(text);
    return true;
}

bool ConsoleUI::ask(const char* text, Question kind) {
    if (quiet_) {
        // A notice is still said: unattended, it is the only trace of why a run stopped.
        if (kind == Question::kNotice) {
            putLine(text);
            flushOutput();
        }
        return true;
    }
    putLine(text);
    put(promptFor(kind));
    flushOutput();
    char line[kLineSize];
    readLine(line);
    switch (kind) {
    case Question::kOkCancel:
        return strcasecmp(line, "ok") == 0;
    case Question::kYesNo:
        return strcasecmp(line, "yes") == 0;
    case Question::kNotice:
        break;
    }
    return true;
}

const char* ConsoleUI::promptFor(Question kind) {
    switch (kind) {
    case Question::kOkCancel:
        return "Type 'ok' or 'cancel': ";
    case Question::kYesNo:
        return "Type 'yes' or 'no' :";
    case Question::kNotice:
        break;
    }
    return "Press <Enter>";
}
