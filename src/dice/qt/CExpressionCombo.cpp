#include "dice/qt/CExpressionCombo.h"

#include <QComboBox>
#include <QGuiApplication>

#include "platform/qt/QtCp932.h"

namespace yarrow {

std::string CExpressionCombo::Text() const {
    return ToCp932(combo_->currentText()).text;
}

bool CExpressionCombo::IsPicked() const {
    const int index = combo_->currentIndex();
    return index >= 0 && combo_->itemText(index) == combo_->currentText();
}

std::vector<std::string> CExpressionCombo::Entries() const {
    std::vector<std::string> entries;
    for (int i = 0; i < combo_->count(); ++i)
        entries.push_back(ToCp932(combo_->itemText(i)).text);
    return entries;
}

void CExpressionCombo::Add(const std::string& text) {
    combo_->addItem(FromCp932(text));
    combo_->setCurrentIndex(combo_->count() - 1);
}

void CExpressionCombo::Select(int index) {
    if (index >= 0 && index < combo_->count())
        combo_->setCurrentIndex(index);
}

bool CExpressionCombo::ShiftHeld() {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace yarrow
