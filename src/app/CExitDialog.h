#pragma once
// The question asked before the program closes: quit, stay, or save the log
// first (as RTF or as text) and then quit.

#include <QDialog>

class QPushButton;

namespace yarrow {

enum class ExitOutcome { Quit, Stay, SaveRtfAndQuit, SaveTextAndQuit };

class CExitDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CExitDialog(QWidget* parent = nullptr);

    // Valid after the dialog has closed; closing it any other way (Esc, the
    // close box) means "stay".
    ExitOutcome Outcome() const { return outcome_; }

    // Runs the dialog modally and returns what the user chose.
    static ExitOutcome Ask(QWidget* parent);

  private:
    void Finish(ExitOutcome outcome);

    ExitOutcome outcome_ = ExitOutcome::Stay;
};

}  // namespace yarrow
