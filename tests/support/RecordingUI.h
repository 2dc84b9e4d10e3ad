// Test helper: the console handler's answers, except that the run ends at once and the questions
// and report lines are written down. Every question is answered with `answer`.
#pragma once

#include "ui/ConsoleUI.h"

#include <string>
#include <vector>

using Lines = std::vector<std::string>;

class RecordingUI : public ConsoleUI {
  public:
    int run() override {
        ++runs;
        return runResult;
    }
    int finish() override { return 0; }
    int confirmCancel() override { return confirmAnswer; }
    int reportLine(int, int, const char* text, int, int) override {
        lines.push_back(text);
        return 0;
    }
    int ask(const char* text, int kind) override {
        questions.push_back(std::to_string(kind) + ":" + text);
        return answer;
    }

    int runs = 0;
    int runResult = 0;
    int answer = 1;
    int confirmAnswer = 0;
    Lines lines, questions;
};
