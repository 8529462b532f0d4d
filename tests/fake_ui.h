// A scripted user interface for tests: answers questions from a queue and records what was shown.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui.h"

struct ShownMessage {
    std::string text, title;
    vellum::Buttons buttons;
    vellum::Icon icon;
    vellum::Ask kind;
};

class FakeUi : public vellum::Ui {
  public:
    std::deque<vellum::Answer> answers;                 // next answers to questions; empty: default
    vellum::Answer defaultAnswer = vellum::Answer::Yes; // for questions when the queue is empty
    std::deque<std::optional<std::string>> inputs;      // next answers to input boxes
    std::function<void(vellum::ResponseEdit&)> onEditResponse;
    std::function<void(vellum::ResultEdit&)> onEditResult;

    std::vector<ShownMessage> messages;
    std::vector<std::string> log;
    std::vector<std::string> inputPrompts;
    std::vector<vellum::ResponseEdit> responseEdits; // what the editor was shown
    std::vector<vellum::ResultEdit> resultEdits;
    std::vector<double> progress;

    vellum::Answer messageBox(std::string_view text, std::string_view title, vellum::Buttons buttons,
                              vellum::Icon icon, vellum::Ask kind) override {
        messages.push_back({std::string(text), std::string(title), buttons, icon, kind});
        if (buttons == vellum::Buttons::OK) return vellum::Answer::OK;
        if (answers.empty()) return defaultAnswer;
        vellum::Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> inputBox(std::string_view prompt, std::string_view,
                                        std::string_view def) override {
        inputPrompts.emplace_back(prompt);
        if (inputs.empty()) return std::string(def);
        auto a = inputs.front();
        inputs.pop_front();
        return a;
    }
    void editResponse(vellum::ResponseEdit& e) override {
        responseEdits.push_back(e);
        if (onEditResponse) onEditResponse(e);
    }
    void editResult(vellum::ResultEdit& e) override {
        resultEdits.push_back(e);
        if (onEditResult)
            onEditResult(e);
        else
            e.fiAccept = "2";
    }
    void setProgress(double f) override { progress.push_back(f); }
    void appendLog(std::string_view line) override { log.emplace_back(line); }
};
