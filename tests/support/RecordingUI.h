// Test helper: the console handler's answers, except that the run ends at once and the questions
// and report lines are written down. Every question is answered with `answer`.
#pragma once

#include "ui/ConsoleUI.h"

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class RecordingUI : public ConsoleUI {
  public:
    bool run() override {
        ++runs;
        return true;
    }
    void finish() override {}
    bool confirmCancel() override { return confirmAnswer; }
    bool reportLine(const char* text) override {
        lines.push_back(text);
        return true;
    }
    // Written down as the kind's number: 0 OK/Cancel, 1 notice, 2 Yes/No.
    bool ask(const char* text, Question kind) override {
        questions.push_back(std::to_string(static_cast<int>(kind)) + ":" + text);
        return answer;
    }

    int runs = 0;
    bool answer = true;
    bool confirmAnswer = false;
    Lines lines, questions;
};
