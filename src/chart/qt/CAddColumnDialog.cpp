#include "chart/qt/CAddColumnDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace yarrow {

CAddColumnDialog::CAddColumnDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("110"));
    setWindowTitle(QStringLiteral("列の追加"));
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("要素"), this));
    field_ = new QLineEdit(this);
    row->addWidget(field_, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    field_->setFocus();
}

QString CAddColumnDialog::HeaderText() const {
    return field_->text();
}

std::optional<QString> CAddColumnDialog::Ask(QWidget* parent) {
    CAddColumnDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.HeaderText();
}

}  // namespace yarrow
