#include "startup/TranscriptUI.h"

#include "startup/Transcript.h"

#include <string>

namespace {
const char* answerName(RunReporter::Question kind, bool agreed) {
    switch (kind) {
    case RunReporter::Question::kNotice:
        return "OK";
    case RunReporter::Question::kYesNo:
        return agreed ? "Yes" : "No";
    case RunReporter::Question::kOkCancel:
        break;
    }
    return agreed ? "OK" : "Cancel";
}

void keep(Transcript* transcript, const char* what, const char* text, const char* answer = "") {
    if (transcript != nullptr)
        transcript->line("%s%s%s", what, text, answer);
}
} // namespace

bool TranscriptUI::confirmCancel() {
    bool confirmed = inner_.confirmCancel();
    keep(transcript_, "Question: cancel? Answer: ", confirmed ? "Yes" : "No");
    return confirmed;
}

bool TranscriptUI::reportLine(const char* text) {
    keep(transcript_, "", text);
    return inner_.reportLine(text);
}

bool TranscriptUI::ask(const char* text, Question kind) {
    bool agreed = inner_.ask(text, kind);
    std::string answered = std::string(" Answer: ") + answerName(kind, agreed);
    keep(transcript_, "Question: ", text, answered.c_str());
    return agreed;
}
