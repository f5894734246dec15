// Prompts answered from a script: each question takes the next queued answer (or the default
// answer when the queue is empty), each name dialog the next queued name (or the proposed
// text); every call is recorded for the test to read back.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "app/Prompts.h"

namespace kestrover::testing {

struct RecordedPrompt {
    enum class Kind { Question, Name } kind = Kind::Question;
    std::string caption;
    std::string text;  // the question, or the name dialog's label
    PromptButtons buttons = PromptButtons::Ok;
    std::string proposed;  // name dialogs: the proposed text
};

class ScriptedPrompts final : public Prompts {
public:
    void QueueAnswer(PromptAnswer answer) { answers_.push_back(answer); }
    void QueueName(std::string name) { names_.push_back(std::move(name)); }
    // The answer to questions when nothing is queued: OK (Yes for yes/no questions) unless set.
    void SetDefaultAnswer(PromptAnswer answer) { defaultAnswer_ = answer; }

    PromptAnswer Ask(std::string_view caption, std::string_view text,
                     PromptButtons buttons) override {
        calls_.push_back({RecordedPrompt::Kind::Question, std::string(caption),
                          std::string(text), buttons, {}});
        if (!answers_.empty()) {
            const PromptAnswer answer = answers_.front();
            answers_.pop_front();
            return answer;
        }
        if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
        if (buttons == PromptButtons::YesNo) {
            return defaultAnswer_ == PromptAnswer::Ok || defaultAnswer_ == PromptAnswer::Yes
                       ? PromptAnswer::Yes
                       : PromptAnswer::No;
        }
        return defaultAnswer_ == PromptAnswer::Ok || defaultAnswer_ == PromptAnswer::Yes
                   ? PromptAnswer::Ok
                   : PromptAnswer::Cancel;
    }

    std::string AskName(std::string_view caption, std::string_view label,
                        std::string_view proposed) override {
        calls_.push_back({RecordedPrompt::Kind::Name, std::string(caption), std::string(label),
                          PromptButtons::OkCancel, std::string(proposed)});
        if (names_.empty()) return std::string(proposed);
        std::string name = std::move(names_.front());
        names_.pop_front();
        return name;
    }

    void PumpEvents() override { ++pumpCount_; }

    const std::vector<RecordedPrompt>& Calls() const { return calls_; }
    int PumpCount() const { return pumpCount_; }

private:
    std::deque<PromptAnswer> answers_;
    std::deque<std::string> names_;
    PromptAnswer defaultAnswer_ = PromptAnswer::Ok;
    std::vector<RecordedPrompt> calls_;
    int pumpCount_ = 0;
};

}  // namespace kestrover::testing
