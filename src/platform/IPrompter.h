#pragma once
// Message boxes as the core sees them: a text, a caption, an icon and buttons
// in, the user's answer out. The Qt prompter shows a QMessageBox; tests use a
// scripted fake and check the texts. Texts are code page 932 bytes.

#include <string>

namespace yarrow {

enum class PromptIcon { None, Information, Question, Exclamation, Stop };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

class IPrompter {
  public:
    virtual ~IPrompter() = default;
    virtual PromptAnswer Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                             PromptButtons buttons) = 0;
    void Tell(const std::string& text, const std::string& caption, PromptIcon icon) {
        Ask(text, caption, icon, PromptButtons::Ok);
    }
};

}  // namespace yarrow
