#include "startup/TranscriptUI.h"

#include "startup/Transcript.h"

#include <string>

namespace {
const char* answerName(int kind, int answer) {
    if (kind == InstallerUI::kAskNotice)
        return "OK";
    if (kind == InstallerUI::kAskYesNo)
        return answer == 1 ? "Yes" : "No";
    return answer == 1 ? "OK" : "Cancel";
}

void keep(Transcript* transcript, const char* what, const char* text, const char* answer = "") {
    if (transcript != nullptr)
        transcript->line("%s%s%s", what, text, answer);
}
} // namespace

int TranscriptUI::confirmCancel() {
    int answer = inner_.confirmCancel();
    keep(transcript_, "Question: cancel? Answer: ", answer != 0 ? "Yes" : "No");
    return answer;
}

int TranscriptUI::reportLine(int a, int b, const char* text, int c, int d) {
    keep(transcript_, "", text);
    return inner_.reportLine(a, b, text, c, d);
}

int TranscriptUI::ask(const char* text, int kind) {
    int answer = inner_.ask(text, kind);
    std::string answered = std::string(" Answer: ") + answerName(kind, answer);
    keep(transcript_, "Question: ", text, answered.c_str());
    return answer;
}
