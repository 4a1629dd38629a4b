#pragma once
// The unit dialog "ユニット追加": a symbol of at most 50 characters (Enter
// presses OK, Ctrl+Enter breaks the line), a colour as six hexadecimal digits
// in red-green-blue order with the colour button "色", and, by mode, the
// "ラベルとして配置(&L)" check box (adding or editing an item) or the label
// size list (editing a tile's label, caption "ﾗﾍﾞﾙ編集"). Control object
// names are their numbers.

#include <QDialog>
#include <cstdint>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace yarrow {

class IMapDialogs;
class IPrompter;

class CUnitDlg : public QDialog {
    Q_OBJECT
  public:
    enum class Mode { Unit, LabelEdit };
    static constexpr int kMaxSymbolChars = 50;

    // `settingsPath` is the settings file whose "HandleNameColor" fills an
    // empty colour text when the dialog opens. The prompter and dialogs
    // outlive the dialog.
    CUnitDlg(Mode mode, IPrompter& prompter, IMapDialogs& dialogs, std::string settingsPath,
             QWidget* parent = nullptr);

    Mode DialogMode() const { return mode_; }

    // The symbol as stored: code page 932 with "\r\n" line breaks.
    void SetSymbol(const std::string& cp932);
    std::string Symbol() const;
    // The colour text as shown ("FF0000" for red) and as a map colour.
    void SetColorText(const QString& text);
    QString ColorText() const;
    void SetMapColor(std::int32_t mapColor);
    std::int32_t MapColor() const;
    void SetAsLabel(bool asLabel);
    bool AsLabel() const;
    // 0 large, 1 middle, 2 small.
    void SetLabelSize(int index);
    int LabelSize() const;

    // The colour button: the colour dialog, then the colour text.
    void PickColor();

    QPlainTextEdit* SymbolField() const { return symbol_; }
    QLineEdit* ColorField() const { return color_; }

  public slots:
    // OK: refused with "シンボルが空です" when a unit's symbol is empty.
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void LimitSymbol(int position, int added);
    // The length the symbol has when stored, a line break counting two.
    static int StoredLength(const QString& text);

    Mode mode_;
    IPrompter& prompter_;
    IMapDialogs& dialogs_;
    std::string settingsPath_;
    QPlainTextEdit* symbol_ = nullptr;
    QLineEdit* color_ = nullptr;
    QPushButton* colorButton_ = nullptr;
    QCheckBox* asLabel_ = nullptr;
    QComboBox* size_ = nullptr;
    bool limiting_ = false;
};

}  // namespace yarrow
