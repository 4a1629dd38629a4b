#pragma once
// Fakes for the application tests: a prompter that records what it was asked
// and answers from a script, and a clock that stands still.

#include <deque>
#include <string>
#include <vector>

#include "platform/IPrompter.h"
#include "platform/qt/QtCp932.h"
#include "support/FixedClock.h"

namespace yarrow {

class CRecordingPrompter final : public IPrompter {
  public:
    struct Call {
        QString text;
        QString caption;
        PromptIcon icon;
        PromptButtons buttons;
    };

    PromptAnswer Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                     PromptButtons buttons) override {
        calls.push_back({FromCp932(text), FromCp932(caption), icon, buttons});
        if (answers.empty()) {
            return buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::No;
        }
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Call> calls;
    std::deque<PromptAnswer> answers;
};

using CFixedClock = test::FixedClock;

}  // namespace yarrow
