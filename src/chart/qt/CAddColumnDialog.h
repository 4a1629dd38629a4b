#pragma once
// "列の追加": asks for the header of a new column. Enter confirms, Escape
// cancels; any text, also an empty one, is a valid header.

#include <QDialog>
#include <optional>

class QLineEdit;

namespace yarrow {

class CAddColumnDialog : public QDialog {
    Q_OBJECT
  public:
    explicit CAddColumnDialog(QWidget* parent = nullptr);

    QLineEdit* Field() const { return field_; }
    QString HeaderText() const;

    // Runs the dialog; the typed header, or nothing when cancelled.
    static std::optional<QString> Ask(QWidget* parent);

  private:
    QLineEdit* field_ = nullptr;
};

}  // namespace yarrow
