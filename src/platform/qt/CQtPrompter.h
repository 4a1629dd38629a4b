#pragma once
// Message boxes on Qt: the texts, caption and icon the core asks for, with the
// Japanese button labels the user expects ("はい" / "いいえ" rather than Qt's
// English defaults).

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/IPrompter.h"

class QMessageBox;

namespace yarrow {

class CQtPrompter final : public IPrompter {
  public:
    explicit CQtPrompter(QWidget* parent = nullptr);

    PromptAnswer Ask(const std::string& text, const std::string& caption, PromptIcon icon,
                     PromptButtons buttons) override;

    // The box Ask shows, built but not run (tests look at it; Ask executes it).
    static std::unique_ptr<QMessageBox> BuildBox(QWidget* parent, const std::string& text,
                                                 const std::string& caption, PromptIcon icon,
                                                 PromptButtons buttons);
    // The answer that the clicked button of a box built by BuildBox stands for;
    // a box closed without a button answers as its escape button would.
    static PromptAnswer AnswerOf(const QMessageBox& box);

  private:
    QPointer<QWidget> parent_;
};

}  // namespace yarrow
