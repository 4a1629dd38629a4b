#pragma once
// A prompter for tests: it records every message box it was asked to show and
// answers questions from a script, so a test can check the texts and steer
// the code down either branch.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/IPrompter.h"

namespace yarrow::test {

struct Prompt {
    std::string text;
    std::string caption;
    PromptIcon icon;
    PromptButtons buttons;
};

// A plain message (Ok only) is always answered Ok and leaves the script alone;
// a question nobody scripted is declined with No. `whileOpen` runs while the
// box is up, before it is answered (records that arrive meanwhile).
class ScriptedPrompter final : public IPrompter {
  public:
    PromptAnswer Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                     PromptButtons buttons) override {
        prompts.push_back({text, caption, icon, buttons});
        if (whileOpen)
            whileOpen();
        if (buttons == PromptButtons::Ok)
            return PromptAnswer::Ok;
        if (answers.empty())
            return PromptAnswer::No;
        const PromptAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::deque<PromptAnswer> answers;
    std::vector<Prompt> prompts;
    std::function<void()> whileOpen;
};

// Answers every question with OK and records nothing.
class SilentPrompter final : public IPrompter {
  public:
    PromptAnswer Ask(const std::string&, const std::string&, PromptIcon, PromptButtons) override {
        return PromptAnswer::Ok;
    }
};

}  // namespace yarrow::test
