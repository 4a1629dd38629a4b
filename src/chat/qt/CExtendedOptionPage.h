#pragma once
// The "拡張" page of the options sheet: the dice sound (fixed or picked from
// a list), the first-person filter, the log's text and background colours and
// the connection, map and chart habits. Control object names are the ids.

#include <QWidget>
#include <cstdint>
#include <string>

#include "chat/qt/CBasicOptionPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace yarrow {

class CExtendedOptionPage : public QWidget {
    Q_OBJECT
  public:
    explicit CExtendedOptionPage(ColorChooser chooser, QWidget* parent = nullptr);

    void Load(const std::string& path);
    // Writes the page's keys; false when the file cannot be written.
    bool Save(const std::string& path) const;

    std::uint32_t TextColor() const { return textColor_; }
    std::uint32_t BackColor() const { return backColor_; }

  private:
    void AddRandomSound();
    void OnTextColorChosen(int index);
    void OnBackColorChosen(int index);

    ColorChooser chooser_;
    std::uint32_t textColor_ = 0x000000;
    std::uint32_t backColor_ = 0xFFFFFF;

    QRadioButton* fixedSound_;
    QRadioButton* randomSound_;
    QLineEdit* diceHoy_;
    QListWidget* randomList_;
    QLineEdit* randomEdit_;
    QLineEdit* filterdPerson_;
    QLineEdit* filter_;
    QComboBox* textColorCombo_;
    QComboBox* backColorCombo_;
    QCheckBox* saveLog_;
    QCheckBox* client_;
    QCheckBox* squareMap_;
    QCheckBox* autoMap_;
    QCheckBox* autoChart_;
};

}  // namespace yarrow
