#include "ui/ConsoleUI.h"

#include "config/VariableStore.h"
#include "ui/Wizard.h"

#include <cstring>
#include <strings.h>

bool ConsoleUI::readLine(char* line) {
    line[0] = '\0';
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
        std::fprintf(output_, "%s=%s\n", field.label, value);
        std::fputs("Type new value or <Enter> to keep the default: ", output_);
        std::fflush(output_);
        std::memset(value, 0, sizeof value);
        // A value cut short (a folder, most often) would be a different value: it is refused
        // and the field keeps the one it had.
        bool whole = readLine(value);
        if (value[0] == '\0')
            continue;
        int set =
            whole ? wizard_->setVariable(field.variable, value) : VariableStore::kTooLongToSet;
        if (set == VariableStore::kLineBreak)
            std::fputs("The value holds a line break; the previous value is kept.\n", output_);
        else if (set != 0)
            std::fputs("The value is too long; the previous value is kept.\n", output_);
    }
}

int ConsoleUI::run() {
    running_ = 1;
    std::fputs("Starting installation.\n", output_);
    if (wizard_ == nullptr) {
        std::fflush(output_);
        return -1;
    }
    if (!quiet_)
        askFieldValues();
    wizard_->showDialog(wizard_->currentDialog(), this);
    if (!wizard_->isCancelled() && !wizard_->isFinished()) {
        do {
            if (wizard_->nextDialog(this) != 0) {
                std::fputs("Installation cannot continue.\n", output_);
                std::fflush(output_);
                return 0;
            }
        } while (!wizard_->isCancelled() && !wizard_->isFinished());
    }
    std::fputs(closingLine(), output_);
    std::fflush(output_);
    return 0;
}

// A run that failed (and was undone) must not read as a completed installation.
const char* ConsoleUI::closingLine() const {
    if (wizard_->isCancelled())
        return "Installation was cancelled.\n";
    if (wizard_->hasFailed() != 0)
        return "Installation failed.\n";
    return "Installation completed.\n";
}

int ConsoleUI::finish() {
    running_ = 0;
    return 0;
}

int ConsoleUI::reportLine(int, int, const char* text, int, int) {
    std::fprintf(output_, "%s\n", text);
    std::fflush(output_);
    return 0;
}

int ConsoleUI::ask(const char* text, int kind) {
    if (quiet_) {
        // A notice is still said: unattended, it is the only trace of why a run stopped.
        if (kind == kAskNotice) {
            std::fprintf(output_, "%s\n", text);
            std::fflush(output_);
        }
        return 1;
    }
    std::fprintf(output_, "%s\n", text);
    if (kind == kAskOkCancel)
        std::fputs("Type 'ok' or 'cancel': ", output_);
    else if (kind == kAskNotice)
        std::fputs("Press <Enter>", output_);
    else if (kind == kAskYesNo)
        std::fputs("Type 'yes' or 'no' :", output_);
    std::fflush(output_);
    char line[kLineSize];
    readLine(line);
    if (kind == kAskOkCancel)
        return strcasecmp(line, "ok") == 0 ? 1 : 0;
    if (kind == kAskNotice)
        return 1;
    if (kind == kAskYesNo)
        return strcasecmp(line, "yes") == 0 ? 1 : 0;
    return 0;
}
