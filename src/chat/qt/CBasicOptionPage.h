#pragma once
// The "基本" page of the options sheet: dice expressions and sub-handle names
// offered in the chat window, the name colour, the text size, and the default
// handle name, server and port. Control object names are the control ids.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QLineEdit;
class QListWidget;

namespace yarrow {

class IPrompter;

// A colour picker: the chosen 0xRRGGBB colour, or nothing when cancelled.
using ColorChooser =
    std::function<std::optional<std::uint32_t>(QWidget* parent, std::uint32_t initial)>;
// The dice format check for a new list entry (the roller's check for any valid
// expression); a "$TIMER" entry is checked by the page itself.
using DiceFormatCheck = std::function<bool(const std::string& expression)>;

struct BasicPageContext {
    std::string handleName;  // the chat view's current name (never read from a file here)
    bool connected = false;
    std::string liveServerAddress;  // shown instead of the file's values while connected
    int livePort = 0;
};

class CBasicOptionPage : public QWidget {
    Q_OBJECT
  public:
    CBasicOptionPage(BasicPageContext context, IPrompter& prompter, DiceFormatCheck check,
                     ColorChooser chooser, QWidget* parent = nullptr);

    // Loads every field but the handle name from the settings file at `path`.
    void Load(const std::string& path);
    // Creates the file when missing, then writes the page's keys. False when
    // the file cannot be written.
    bool Save(const std::string& path) const;

    // The system colour dialog as a ColorChooser.
    static std::optional<std::uint32_t> PickColor(QWidget* parent, std::uint32_t initial);
    // Fills a combo with the ten name colours ("黒色" … "ｶｽﾀﾑ").
    static void FillNameColorCombo(QComboBox* combo);
    // Selects `color` in a name colour combo; a colour off the palette is kept
    // in `custom` and shown as the custom entry.
    static void SelectNameColor(QComboBox* combo, std::uint32_t color, std::uint32_t& custom);
    // After entry `index` of a name colour combo was chosen: the custom entry
    // asks `chooser` for the colour, and cancelling it falls back to the first
    // entry so the combo never shows a colour nobody picked.
    static void OnNameColorActivated(QComboBox* combo, int index, const ColorChooser& chooser,
                                     QWidget* parent, std::uint32_t& custom);

    std::uint32_t CustomColor() const { return customColor_; }

  private:
    void AddDiceExpression();
    void AddSubHandleName();
    void OnNameColorChosen(int index);

    BasicPageContext context_;
    IPrompter& prompter_;
    DiceFormatCheck check_;
    ColorChooser chooser_;
    std::uint32_t customColor_ = 0;

    QListWidget* diceList_;
    QLineEdit* diceEdit_;
    QListWidget* subNameList_;
    QLineEdit* subNameEdit_;
    QComboBox* nameColor_;
    QComboBox* charSize_;
    QLineEdit* handleName_;
    QLineEdit* serverIP_;
    QLineEdit* port_;
};

}  // namespace yarrow
