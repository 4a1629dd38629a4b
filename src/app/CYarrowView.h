#pragma once
// The chat view: the log above, the row of speaker and dice controls, and the
// input line at the bottom. Control object names are their numbers ("1000" the
// log, "1001" the input line, ...). What the controls do (sending, rolling,
// typing notices) is wired by the features that own it; the view only lays
// them out and hands them over.

#include <QWidget>
#include <array>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTextEdit;

namespace yarrow {

class CLogWidget;

// The modeless windows the view owns; created once, then only shown and hidden.
enum class ModelessWindow { Chart = 0, Map, Cards, Whisper };

class CYarrowView : public QWidget {
    Q_OBJECT
  public:
    explicit CYarrowView(QWidget* parent = nullptr);

    CLogWidget* LogControl() const { return log_; }
    QTextEdit* InputLine() const { return input_; }
    QPushButton* DiceButton() const { return dice_; }
    QLineEdit* HandleNameField() const { return handle_; }
    QRadioButton* HandleNameRadio() const { return handleRadio_; }
    QRadioButton* SubHandleNameRadio() const { return subHandleRadio_; }
    QComboBox* SubHandleNameCombo() const { return subHandle_; }
    QComboBox* DiceCombo() const { return diceCombo_; }

    // 0 speaks under the handle name, 1 under the sub-handle name.
    int RadioIndex() const;
    void SetRadioIndex(int index);

    // The modeless windows; set once they exist (the view takes ownership of
    // none of them: they are top-level windows parented to the main window).
    void SetModelessWindow(ModelessWindow which, QWidget* window);
    QWidget* Modeless(ModelessWindow which) const;
    // Shows, raises and activates a modeless window, centred on the view the
    // first time it opens; false when there is none.
    bool ShowModeless(ModelessWindow which);
    // Centres the window on the view.
    void CentreOnView(QWidget* window) const;

  signals:
    // The "Dice" button was pressed.
    void DiceRequested();

  private:
    CLogWidget* log_ = nullptr;
    QTextEdit* input_ = nullptr;
    QPushButton* dice_ = nullptr;
    QLineEdit* handle_ = nullptr;
    QRadioButton* handleRadio_ = nullptr;
    QRadioButton* subHandleRadio_ = nullptr;
    QComboBox* subHandle_ = nullptr;
    QComboBox* diceCombo_ = nullptr;
    std::array<QWidget*, 4> modeless_{};
    std::array<bool, 4> placed_{};
};

}  // namespace yarrow
