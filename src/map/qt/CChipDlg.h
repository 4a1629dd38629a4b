#pragma once
// The chip dialog "ﾁｯﾌﾟの配置": a list of the chip bitmaps that exist (each
// entry carries its chip number), a preview of the selected one and the
// symbol text, which each selection replaces with the chip's "ChipName".
// Control object names are their numbers.

#include <QDialog>
#include <string>

#include "map/CChipFile.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace yarrow {

class IPrompter;

class CChipDlg : public QDialog {
    Q_OBJECT
  public:
    // The symbol text the dialog accepts at most (bytes of code page 932 are
    // up to twice this).
    static constexpr int kMaxSymbolChars = 255;

    // Lists the chips of programFolder's "ChipFile.ini"; the first entry is
    // selected. The prompter outlives the dialog.
    CChipDlg(const std::string& programFolder, IPrompter& prompter, QWidget* parent = nullptr);

    // The selected entry's chip number; -1 when the list is empty.
    int Chip() const;
    // The symbol as code page 932.
    std::string Symbol() const;
    void SetSymbol(const QString& text);
    // Selects the entry at this list position.
    void Select(int index);

    QComboBox* ChipList() const { return list_; }
    QLabel* Preview() const { return preview_; }
    QLineEdit* SymbolField() const { return symbol_; }

  public slots:
    // OK: refused with "シンボルが空です" when the symbol is empty.
    void accept() override;

  private:
    void ShowSelection();

    CChipFile chips_;
    IPrompter& prompter_;
    QLineEdit* symbol_ = nullptr;
    QComboBox* list_ = nullptr;
    QLabel* preview_ = nullptr;
};

}  // namespace yarrow
