#pragma once
// The chat view's expression box as the roller sees it (the expression half
// of IDiceControls): its text, whether that text is a picked entry, the entries,
// and adding and selecting entries. Texts cross as code page 932 bytes.

#include <string>
#include <vector>

class QComboBox;

namespace yarrow {

class CExpressionCombo {
  public:
    explicit CExpressionCombo(QComboBox* combo) : combo_(combo) {}

    std::string Text() const;
    // An editable combo keeps its last index while the user types, so the
    // text counts as picked only while it still equals that entry.
    bool IsPicked() const;
    std::vector<std::string> Entries() const;
    // Appends `text` as the last entry and selects it.
    void Add(const std::string& text);
    void Select(int index);

    // Whether Shift is held at this moment (a hidden roll).
    static bool ShiftHeld();

  private:
    QComboBox* combo_;
};

}  // namespace yarrow
